/* A client that keeps the session awake through org.freedesktop.ScreenSaver, as a
 * browser playing a video does: inhibit_client [PATH] asks Inhibit at PATH (default
 * /org/freedesktop/ScreenSaver), prints the cookie, then reads commands from stdin:
 * "uninhibit" gives the cookie back (and prints "uninhibited"), "inhibit" asks again;
 * at the end of stdin it leaves the bus. */
#include <dbus/dbus.h>
#include <stdio.h>
#include <string.h>

static DBusConnection *bus;
static const char *path = "/org/freedesktop/ScreenSaver";

static DBusMessage *call(const char *method, int first_type, ...) {
  DBusMessage *msg = dbus_message_new_method_call("org.freedesktop.ScreenSaver", path,
                                                  "org.freedesktop.ScreenSaver", method);
  va_list args;
  va_start(args, first_type);
  dbus_message_append_args_valist(msg, first_type, args);
  va_end(args);
  DBusError error;
  dbus_error_init(&error);
  DBusMessage *reply = dbus_connection_send_with_reply_and_block(bus, msg, 5000, &error);
  if (!reply) fprintf(stderr, "inhibit_client: %s: %s\n", method, error.message);
  dbus_error_free(&error);
  dbus_message_unref(msg);
  return reply;
}

static int inhibit(dbus_uint32_t *cookie) {
  const char *app = "inhibit_client", *reason = "a test plays a video";
  DBusMessage *reply = call("Inhibit", DBUS_TYPE_STRING, &app, DBUS_TYPE_STRING, &reason, DBUS_TYPE_INVALID);
  if (!reply || !dbus_message_get_args(reply, NULL, DBUS_TYPE_UINT32, cookie, DBUS_TYPE_INVALID)) return 0;
  dbus_message_unref(reply);
  printf("%u\n", (unsigned)*cookie);
  fflush(stdout);
  return 1;
}

int main(int argc, char **argv) {
  if (argc > 1) path = argv[1];
  DBusError error;
  dbus_error_init(&error);
  bus = dbus_bus_get(DBUS_BUS_SESSION, &error);
  if (!bus) return fprintf(stderr, "inhibit_client: no session bus: %s\n", error.message), 1;
  dbus_uint32_t cookie = 0;
  if (!inhibit(&cookie)) return 1;
  char line[64];
  while (fgets(line, sizeof line, stdin)) {
    if (strncmp(line, "uninhibit", 9) == 0) {
      DBusMessage *reply = call("UnInhibit", DBUS_TYPE_UINT32, &cookie, DBUS_TYPE_INVALID);
      if (!reply) return 1;
      dbus_message_unref(reply);
      printf("uninhibited\n");
      fflush(stdout);
    } else if (strncmp(line, "inhibit", 7) == 0 && !inhibit(&cookie)) {
      return 1;
    }
  }
  return 0;
}
