"""KWin's pictures of outputs, as PPM files: kwin_screenshot.py OUTPUT FILE [OUTPUT FILE...].

Through org.kde.KWin.ScreenShot2, which KWin answers any client when started with
KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1: the pixels come raw through a pipe."""
import os
import sys

from gi.repository import Gio, GLib

BGRA_FORMATS = {4, 5, 6}  # QImage's RGB32, ARGB32 and its premultiplied form: B, G, R, A in memory


def capture(output):
    bus = Gio.bus_get_sync(Gio.BusType.SESSION)
    read_end, write_end = os.pipe()
    fds = Gio.UnixFDList()
    fds.append(write_end)
    os.close(write_end)
    reply, _ = bus.call_with_unix_fd_list_sync(
        'org.kde.KWin', '/org/kde/KWin/ScreenShot2', 'org.kde.KWin.ScreenShot2', 'CaptureScreen',
        GLib.Variant('(sa{sv}h)', (output, {}, 0)), GLib.VariantType('(a{sv})'),
        Gio.DBusCallFlags.NONE, 10000, fds, None)
    del fds  # the last copy of the write end: KWin's own ends the stream
    with os.fdopen(read_end, 'rb') as pipe:
        data = pipe.read()
    return reply.unpack()[0], data


def save(output, path):
    info, data = capture(output)
    w, h, stride = info['width'], info['height'], info['stride']
    if info.get('format') not in BGRA_FORMATS or len(data) < stride * h:
        sys.exit(f"kwin_screenshot: {info}, {len(data)} bytes")
    rgb = bytearray(w * h * 3)
    for y in range(h):
        row = data[y * stride:y * stride + w * 4]
        for c in range(3):
            rgb[y * w * 3 + c:(y + 1) * w * 3:3] = row[2 - c::4]
    with open(path, 'wb') as f:
        f.write(b'P6\n%d %d\n255\n' % (w, h) + rgb)


for i in range(1, len(sys.argv) - 1, 2):
    save(sys.argv[i], sys.argv[i + 1])
