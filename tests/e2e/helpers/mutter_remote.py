"""Drives a headless mutter through its D-Bus services, one command a line on stdin,
one line of answer on stdout ("error ..." when it failed):
  keys CODE...     presses and releases each Linux input code, 300 ms apart
  shot NAME FILE   a PNG of monitor NAME (a PipeWire screen cast, through gst-launch)
  add W H          a virtual monitor of W x H; answers its name
  remove           ends the virtual monitor
Its RemoteDesktop session lives as long as this program (mutter ends it with the
connection that made it), so one runs for a whole script."""
import os
import signal
import subprocess
import sys
import time

from gi.repository import Gio, GLib

COMMANDS = ('keys', 'shot', 'add', 'remove')
SC = 'org.gnome.Mutter.ScreenCast'
RD = 'org.gnome.Mutter.RemoteDesktop'
bus = Gio.bus_get_sync(Gio.BusType.SESSION)


def call(dest, path, method, args=None, reply=None):
    iface, _, name = method.rpartition('.')
    result = bus.call_sync(dest, path, iface, name, args, GLib.VariantType(reply) if reply else None,
                           Gio.DBusCallFlags.NONE, 10000, None)
    return result.unpack()[0] if reply else None


def wait_for(test, seconds):
    end = time.monotonic() + seconds
    while not test():
        if time.monotonic() > end:
            return False
        if not GLib.MainContext.default().iteration(False):
            time.sleep(0.02)
    return True


def cast(record, args):
    """A screen-cast session of its own with one stream: (session, PipeWire node)."""
    session = call(SC, '/org/gnome/Mutter/ScreenCast', SC + '.CreateSession', GLib.Variant('(a{sv})', ({},)), '(o)')
    stream = call(SC, session, SC + '.Session.' + record, args, '(o)')
    nodes = []
    watch = bus.signal_subscribe(SC, SC + '.Stream', 'PipeWireStreamAdded', stream, None,
                                 Gio.DBusSignalFlags.NONE, lambda *a: nodes.append(a[5].unpack()[0]))
    call(SC, session, SC + '.Session.Start')
    found = wait_for(lambda: nodes, 10)
    bus.signal_unsubscribe(watch)
    if not found:
        raise RuntimeError(f'no stream for {record}')
    return session, nodes[0]


def monitors():
    state = bus.call_sync('org.gnome.Mutter.DisplayConfig', '/org/gnome/Mutter/DisplayConfig',
                          'org.gnome.Mutter.DisplayConfig', 'GetCurrentState', None, None,
                          Gio.DBusCallFlags.NONE, 10000, None).unpack()
    return {m[0][0] for m in state[1]}


class Remote:
    def __init__(self):
        self.desk = call(RD, '/org/gnome/Mutter/RemoteDesktop', RD + '.CreateSession', None, '(o)')
        call(RD, self.desk, RD + '.Session.Start')
        self.casts = {}  # monitor name: its screen cast's node
        self.virtual = None  # (session, sizing consumer, name)
        self.press(42)  # a new virtual keyboard swallows its first key: a Shift, before any client

    def press(self, code):
        for down in (True, False):
            call(RD, self.desk, RD + '.Session.NotifyKeyboardKeycode', GLib.Variant('(ub)', (code, down)))
            time.sleep(0.05)

    def keys(self, *codes):
        for code in codes:
            time.sleep(0.3)
            self.press(int(code))
        return 'ok'

    def shot(self, name, path):
        for attempt in (1, 2):  # a changed layout may have ended the cast
            if name not in self.casts:
                self.casts[name] = cast('RecordMonitor', GLib.Variant('(sa{sv})', (name, {'cursor-mode': GLib.Variant('u', 0)})))[1]
            done = subprocess.run(['gst-launch-1.0', '-q', 'pipewiresrc', f'path={self.casts[name]}', 'num-buffers=1',
                                   '!', 'videoconvert', '!', 'pngenc', '!', 'filesink', f'location={path}'],
                                  timeout=15, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if done.returncode == 0 and os.path.getsize(path) > 0:
                return 'ok'
            del self.casts[name]
        raise RuntimeError(f'no picture of {name}')

    def add(self, width, height):
        before = monitors()
        session, node = cast('RecordVirtual', GLib.Variant('(a{sv})', ({'cursor-mode': GLib.Variant('u', 0)},)))
        # The monitor takes the size its first consumer asks for.
        consumer = subprocess.Popen(['gst-launch-1.0', '-q', 'pipewiresrc', f'path={node}', '!',
                                     f'video/x-raw,width={width},height={height}', '!', 'fakesink'],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not wait_for(lambda: monitors() - before, 10):
            consumer.terminate()
            raise RuntimeError('no virtual monitor')
        name = (monitors() - before).pop()
        self.virtual = (session, consumer, name)
        return name

    def remove(self):
        session, consumer, name = self.virtual
        self.virtual = None
        call(SC, session, SC + '.Session.Stop')
        consumer.terminate()
        consumer.wait()
        self.casts.pop(name, None)
        if not wait_for(lambda: name not in monitors(), 10):
            raise RuntimeError(f'{name} still there')
        return 'ok'

    def close(self):
        if self.virtual:
            self.virtual[1].terminate()


def main():
    remote = Remote()
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    try:
        print('ready', flush=True)
        for line in sys.stdin:
            words = line.split()
            try:
                if not words or words[0] not in COMMANDS:
                    raise ValueError(f'{line.strip()}?')
                answer = getattr(remote, words[0])(*words[1:])
            except Exception as e:  # a failed command is the test's to report
                answer = f'error {e}'
            print(answer, flush=True)
    finally:
        remote.close()


main()
