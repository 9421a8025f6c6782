/* A client that keeps the session awake through org.freedesktop.ScreenSaver, as a
 * browser playing a video does: inhibit_client [PATH] asks Inhibit at PATH (default
 * /org/freedesktop/ScreenSaver), prints the cookie, then reads commands from stdin:
 * "uninhibit" gives the cookie back (and prints "uninhibited"), "inhibit" asks again;
 * at the end of stdin it leaves the bus.
 *
 * inhibit_client --session-manager stands in for GNOME's session manager instead:
 * it takes org.gnome.SessionManager, holds one idle inhibitor (IsInhibited(8) is
 * true), prints "ready", and "uninhibit" / "inhibit" on stdin drop and take it again,
 * with the InhibitorRemoved / InhibitorAdded signals gnome-session sends. */
#include <dbus/dbus.h>
#include <poll.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

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

static int held = 1;
static const char *manager_path = "/org/gnome/SessionManager";

static DBusHandlerResult manage(DBusConnection *connection, DBusMessage *msg, void *data) {
  (void)connection, (void)data;
  if (!dbus_message_is_method_call(msg, "org.gnome.SessionManager", "IsInhibited"))
    return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
  dbus_uint32_t flags = 0;
  dbus_message_get_args(msg, NULL, DBUS_TYPE_UINT32, &flags, DBUS_TYPE_INVALID);
  dbus_bool_t inhibited = held && (flags & 8);
  DBusMessage *reply = dbus_message_new_method_return(msg);
  dbus_message_append_args(reply, DBUS_TYPE_BOOLEAN, &inhibited, DBUS_TYPE_INVALID);
  dbus_connection_send(bus, reply, NULL);
  dbus_message_unref(reply);
  return DBUS_HANDLER_RESULT_HANDLED;
}

static void tell(const char *signal_name) {
  const char *inhibitor = "/org/gnome/SessionManager/Inhibitor1";
  DBusMessage *signal = dbus_message_new_signal(manager_path, "org.gnome.SessionManager", signal_name);
  dbus_message_append_args(signal, DBUS_TYPE_OBJECT_PATH, &inhibitor, DBUS_TYPE_INVALID);
  dbus_connection_send(bus, signal, NULL);
  dbus_message_unref(signal);
  dbus_connection_flush(bus);
}

static int session_manager(void) {
  static const DBusObjectPathVTable vtable = {NULL, manage, NULL, NULL, NULL, NULL};
  dbus_connection_register_object_path(bus, manager_path, &vtable, NULL);
  if (dbus_bus_request_name(bus, "org.gnome.SessionManager", DBUS_NAME_FLAG_DO_NOT_QUEUE, NULL) !=
      DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER)
    return fprintf(stderr, "inhibit_client: org.gnome.SessionManager is taken\n"), 1;
  printf("ready\n");
  fflush(stdout);
  int fd = -1;
  dbus_connection_get_unix_fd(bus, &fd);
  for (;;) {
    struct pollfd fds[2] = {{0, POLLIN, 0}, {fd, POLLIN, 0}};
    poll(fds, 2, -1);
    if (fds[1].revents) {
      if (!dbus_connection_read_write(bus, 0)) return 1;
      while (dbus_connection_dispatch(bus) == DBUS_DISPATCH_DATA_REMAINS) {
      }
    }
    if (fds[0].revents) {
      char line[64];
      ssize_t n = read(0, line, sizeof line - 1);
      if (n <= 0) return 0;
      line[n] = 0;
      held = strncmp(line, "uninhibit", 9) != 0;
      tell(held ? "InhibitorAdded" : "InhibitorRemoved");
      printf(held ? "inhibited\n" : "uninhibited\n");
      fflush(stdout);
    }
  }
}

int main(int argc, char **argv) {
  if (argc > 1) path = argv[1];
  DBusError error;
  dbus_error_init(&error);
  bus = dbus_bus_get(DBUS_BUS_SESSION, &error);
  if (!bus) return fprintf(stderr, "inhibit_client: no session bus: %s\n", error.message), 1;
  if (argc > 1 && strcmp(argv[1], "--session-manager") == 0) return session_manager();
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
