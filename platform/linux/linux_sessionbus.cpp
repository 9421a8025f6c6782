#include "platform/linux/linux_sessionbus.h"

#include <dbus/dbus.h>
#include <sys/stat.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/linux/linux_inhibitors.h"

namespace plat::bus {
namespace {

constexpr const char* SAVER_NAME = "org.freedesktop.ScreenSaver";  // also its interface
constexpr const char* SAVER_PATHS[] = {"/org/freedesktop/ScreenSaver", "/ScreenSaver"};  // browsers use either
constexpr const char* SESSION_MANAGER = "org.gnome.SessionManager";  // also its interface
constexpr const char* SESSION_MANAGER_PATH = "/org/gnome/SessionManager";
constexpr std::uint32_t INHIBIT_IDLE = 8;  // GNOME's flag for "do not count the session idle"
constexpr const char* IDLE_MONITOR = "org.gnome.Mutter.IdleMonitor";  // also its interface
constexpr const char* IDLE_MONITOR_PATH = "/org/gnome/Mutter/IdleMonitor/Core";
constexpr int CALL_TIMEOUT_MS = 2000;

struct Daemon {
  const char* busName;
  const char* name;
  bool running;
};
Daemon g_Daemons[] = {{"org.mate.ScreenSaver", "mate-screensaver", false},
                      {"org.xfce.ScreenSaver", "xfce4-screensaver", false}};

DBusConnection* g_pConn = nullptr;
unsigned g_nSeen = 0;  // what the handlers saw since the last Dispatch

InhibitorBook g_Book;
bool g_bServing = false;
std::vector<std::string> g_NewClients;  // to follow once the dispatch is done
bool g_bSessionInhibited = false;
bool g_bRefreshSession = false;

bool g_bSimulated = false;
DWORD g_dwSimulated = 0;
bool g_bActive = false;
DWORD g_dwActiveSince = 0;
DWORD (*g_pIdleMs)() = nullptr;

bool g_bMonitor = false;
std::uint32_t g_nWatch = 0;
DWORD g_dwMonitorWait = 0;
bool g_bRewatch = false;

const char* const INTROSPECTION =
    "<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\"\n"
    " \"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n"
    "<node>\n"
    " <interface name=\"org.freedesktop.ScreenSaver\">\n"
    "  <method name=\"Inhibit\"><arg name=\"application_name\" type=\"s\" direction=\"in\"/>"
    "<arg name=\"reason_for_inhibit\" type=\"s\" direction=\"in\"/><arg name=\"cookie\" type=\"u\" direction=\"out\"/>"
    "</method>\n"
    "  <method name=\"UnInhibit\"><arg name=\"cookie\" type=\"u\" direction=\"in\"/></method>\n"
    "  <method name=\"GetActive\"><arg type=\"b\" direction=\"out\"/></method>\n"
    "  <method name=\"GetActiveTime\"><arg name=\"seconds\" type=\"u\" direction=\"out\"/></method>\n"
    "  <method name=\"GetSessionIdleTime\"><arg name=\"seconds\" type=\"u\" direction=\"out\"/></method>\n"
    "  <method name=\"SimulateUserActivity\"/>\n"
    "  <signal name=\"ActiveChanged\"><arg type=\"b\"/></signal>\n"
    " </interface>\n"
    " <interface name=\"org.freedesktop.DBus.Introspectable\">\n"
    "  <method name=\"Introspect\"><arg name=\"data\" type=\"s\" direction=\"out\"/></method>\n"
    " </interface>\n"
    "</node>\n";

// The bus's own address, or the user's bus of a systemd session; never "autolaunch:",
// which would start a bus nobody else talks to.
std::string SessionAddress() {
  if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address) return address;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (!runtime || !*runtime) return {};
  std::string socket = std::string(runtime) + "/bus";
  struct stat st;
  return stat(socket.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) ? "unix:path=" + socket : std::string();
}

bool HasOwner(const char* name) {
  DBusError error;
  dbus_error_init(&error);
  bool owned = dbus_bus_name_has_owner(g_pConn, name, &error);
  dbus_error_free(&error);
  return owned;
}

// Without an error to fill, the bus is not waited for: the rule is in force before
// anything sent after it is answered.
void AddMatch(const std::string& rule) { dbus_bus_add_match(g_pConn, rule.c_str(), nullptr); }
std::string OwnerRule(const std::string& name) {
  return "type='signal',sender='org.freedesktop.DBus',interface='org.freedesktop.DBus',"
         "member='NameOwnerChanged',arg0='" + name + "'";
}

// A method call and its answer, within CALL_TIMEOUT_MS; nullptr on an error or none.
DBusMessage* Call(const char* dest, const char* path, const char* iface, const char* method, int firstType, ...) {
  DBusMessage* msg = dbus_message_new_method_call(dest, path, iface, method);
  if (!msg) return nullptr;
  va_list args;
  va_start(args, firstType);
  bool ok = dbus_message_append_args_valist(msg, firstType, args);
  va_end(args);
  DBusMessage* reply = nullptr;
  if (ok) {
    DBusError error;
    dbus_error_init(&error);
    reply = dbus_connection_send_with_reply_and_block(g_pConn, msg, CALL_TIMEOUT_MS, &error);
    dbus_error_free(&error);
  }
  dbus_message_unref(msg);
  return reply;
}

// The answer's one value; the answer is released.
bool TakeReply(DBusMessage* reply, int type, void* value) {
  if (!reply) return false;
  DBusError error;
  dbus_error_init(&error);
  bool ok = dbus_message_get_args(reply, &error, type, value, DBUS_TYPE_INVALID);
  dbus_error_free(&error);
  dbus_message_unref(reply);
  return ok;
}

void RefreshSessionInhibited() {
  dbus_bool_t inhibited = false;
  std::uint32_t flags = INHIBIT_IDLE;
  if (HasOwner(SESSION_MANAGER))
    TakeReply(Call(SESSION_MANAGER, SESSION_MANAGER_PATH, SESSION_MANAGER, "IsInhibited", DBUS_TYPE_UINT32, &flags,
                   DBUS_TYPE_INVALID),
              DBUS_TYPE_BOOLEAN, &inhibited);
  if (static_cast<bool>(inhibited) != g_bSessionInhibited) g_nSeen |= BUS_SESSION;
  g_bSessionInhibited = inhibited;
}

void AddIdleWatch() {
  dbus_uint64_t interval = g_dwMonitorWait;
  g_nWatch = 0;
  TakeReply(Call(IDLE_MONITOR, IDLE_MONITOR_PATH, IDLE_MONITOR, "AddIdleWatch", DBUS_TYPE_UINT64, &interval,
                 DBUS_TYPE_INVALID),
            DBUS_TYPE_UINT32, &g_nWatch);
}

void Send(DBusMessage* msg) {
  if (!msg) return;
  dbus_connection_send(g_pConn, msg, nullptr);
  dbus_message_unref(msg);
}

void UnfollowIfDone(const std::string& client) {
  if (!g_Book.Holds(client)) dbus_bus_remove_match(g_pConn, OwnerRule(client).c_str(), nullptr);
}

void OnOwnerChanged(const char* name, const char* owner) {
  bool gone = !*owner;
  for (Daemon& d : g_Daemons)
    if (std::strcmp(name, d.busName) == 0) {
      d.running = !gone;
      g_nSeen |= BUS_SESSION;
    }
  if (std::strcmp(name, SESSION_MANAGER) == 0) g_bRefreshSession = true;
  // A restarted shell (GNOME on X11) forgot our watch.
  if (std::strcmp(name, IDLE_MONITOR) == 0 && !gone && g_bMonitor) g_bRewatch = true;
  if (name[0] == ':' && gone) {
    if (g_Book.DropClient(name) > 0) g_nSeen |= BUS_SESSION;
    UnfollowIfDone(name);
  }
}

DBusHandlerResult Filter(DBusConnection*, DBusMessage* msg, void*) {
  const char *a = nullptr, *b = nullptr, *c = nullptr;
  if (dbus_message_is_signal(msg, DBUS_INTERFACE_LOCAL, "Disconnected")) {
    g_nSeen |= BUS_LOST;
  } else if (dbus_message_is_signal(msg, DBUS_INTERFACE_DBUS, "NameOwnerChanged")) {
    if (dbus_message_get_args(msg, nullptr, DBUS_TYPE_STRING, &a, DBUS_TYPE_STRING, &b, DBUS_TYPE_STRING, &c,
                              DBUS_TYPE_INVALID))
      OnOwnerChanged(a, c);
  } else if (dbus_message_is_signal(msg, DBUS_INTERFACE_DBUS, "NameLost")) {
    // The desktop's own service took the name over: its clients ask it from now on.
    if (dbus_message_get_args(msg, nullptr, DBUS_TYPE_STRING, &a, DBUS_TYPE_INVALID) &&
        std::strcmp(a, SAVER_NAME) == 0 && g_bServing) {
      g_bServing = false;
      g_Book = InhibitorBook();
      g_nSeen |= BUS_SESSION;
    }
  } else if (dbus_message_is_signal(msg, SESSION_MANAGER, "InhibitorAdded") ||
             dbus_message_is_signal(msg, SESSION_MANAGER, "InhibitorRemoved")) {
    g_bRefreshSession = true;
  } else if (dbus_message_is_signal(msg, IDLE_MONITOR, "WatchFired")) {
    std::uint32_t id = 0;
    if (dbus_message_get_args(msg, nullptr, DBUS_TYPE_UINT32, &id, DBUS_TYPE_INVALID) && id == g_nWatch && id != 0)
      g_nSeen |= BUS_IDLE;
  }
  return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
}

// Some clients leave the interface out of their calls.
bool IsCall(DBusMessage* msg, const char* iface, const char* member) {
  const char* named = dbus_message_get_interface(msg);
  return dbus_message_get_type(msg) == DBUS_MESSAGE_TYPE_METHOD_CALL &&
         std::strcmp(dbus_message_get_member(msg), member) == 0 && (!named || std::strcmp(named, iface) == 0);
}

DBusMessage* Answer(DBusMessage* msg, int type, const void* value) {
  DBusMessage* reply = dbus_message_new_method_return(msg);
  if (reply && type != DBUS_TYPE_INVALID) dbus_message_append_args(reply, type, value, DBUS_TYPE_INVALID);
  return reply;
}

DBusMessage* Inhibit(DBusMessage* msg) {
  const char *app = nullptr, *reason = nullptr;
  const char* sender = dbus_message_get_sender(msg);
  if (!sender || !dbus_message_get_args(msg, nullptr, DBUS_TYPE_STRING, &app, DBUS_TYPE_STRING, &reason,
                                        DBUS_TYPE_INVALID))
    return dbus_message_new_error(msg, DBUS_ERROR_INVALID_ARGS, "Inhibit takes an application name and a reason");
  bool followed = g_Book.Holds(sender);
  std::uint32_t cookie = g_Book.Add(sender);
  if (cookie == 0) return dbus_message_new_error(msg, DBUS_ERROR_LIMITS_EXCEEDED, "too many inhibits from one client");
  if (!followed) g_NewClients.push_back(sender);
  g_nSeen |= BUS_SESSION;
  return Answer(msg, DBUS_TYPE_UINT32, &cookie);
}

DBusMessage* UnInhibit(DBusMessage* msg) {
  std::uint32_t cookie = 0;
  if (!dbus_message_get_args(msg, nullptr, DBUS_TYPE_UINT32, &cookie, DBUS_TYPE_INVALID))
    return dbus_message_new_error(msg, DBUS_ERROR_INVALID_ARGS, "UnInhibit takes a cookie");
  // Any client may give a cookie back; the one that took it is followed no longer
  // once it holds none.
  std::string holder;
  if (g_Book.Remove(cookie, &holder)) {
    g_nSeen |= BUS_SESSION;
    UnfollowIfDone(holder);
  }
  return Answer(msg, DBUS_TYPE_INVALID, nullptr);
}

DBusHandlerResult Serve(DBusConnection*, DBusMessage* msg, void*) {
  DBusMessage* reply = nullptr;
  if (IsCall(msg, SAVER_NAME, "Inhibit")) {
    reply = Inhibit(msg);
  } else if (IsCall(msg, SAVER_NAME, "UnInhibit")) {
    reply = UnInhibit(msg);
  } else if (IsCall(msg, SAVER_NAME, "GetActive")) {
    dbus_bool_t active = g_bActive;
    reply = Answer(msg, DBUS_TYPE_BOOLEAN, &active);
  } else if (IsCall(msg, SAVER_NAME, "GetActiveTime")) {
    std::uint32_t seconds = g_bActive ? (GetTickCount() - g_dwActiveSince) / 1000 : 0;
    reply = Answer(msg, DBUS_TYPE_UINT32, &seconds);
  } else if (IsCall(msg, SAVER_NAME, "GetSessionIdleTime")) {
    std::uint32_t seconds = g_pIdleMs ? g_pIdleMs() / 1000 : 0;
    reply = Answer(msg, DBUS_TYPE_UINT32, &seconds);
  } else if (IsCall(msg, SAVER_NAME, "SimulateUserActivity")) {
    g_bSimulated = true;
    g_dwSimulated = GetTickCount();
    g_nSeen |= BUS_IDLE;
    reply = Answer(msg, DBUS_TYPE_INVALID, nullptr);
  } else if (IsCall(msg, DBUS_INTERFACE_INTROSPECTABLE, "Introspect")) {
    reply = Answer(msg, DBUS_TYPE_STRING, &INTROSPECTION);
  } else {
    return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;  // libdbus answers UnknownMethod
  }
  Send(reply);
  return DBUS_HANDLER_RESULT_HANDLED;
}

// A client that left between its call and our following it would keep its inhibit.
void FollowNewClients() {
  std::vector<std::string> clients;
  clients.swap(g_NewClients);
  for (const std::string& client : clients) {
    AddMatch(OwnerRule(client));
    if (!HasOwner(client.c_str()) && g_Book.DropClient(client) > 0) {
      g_nSeen |= BUS_SESSION;
      UnfollowIfDone(client);
    }
  }
}

}  // namespace

bool Connect(std::string* failure) {
  const char* without = ": inhibitors asked of the bus are not seen, and one watcher runs per display";
  std::string address = SessionAddress();
  if (address.empty()) {
    *failure = std::string("no session bus (DBUS_SESSION_BUS_ADDRESS is not set)") + without;
    return false;
  }
  DBusError error;
  dbus_error_init(&error);
  DBusConnection* conn = dbus_connection_open_private(address.c_str(), &error);
  if (conn && !dbus_bus_register(conn, &error)) {
    dbus_connection_close(conn);
    dbus_connection_unref(conn);
    conn = nullptr;
  }
  if (!conn) {
    *failure = "no session bus at " + address + " (" + (error.message ? error.message : "no answer") + ")" + without;
    dbus_error_free(&error);
    return false;
  }
  dbus_connection_set_exit_on_disconnect(conn, false);
  dbus_connection_add_filter(conn, Filter, nullptr, nullptr);
  g_pConn = conn;
  return true;
}

int Fd() {
  int fd = -1;
  return g_pConn && dbus_connection_get_unix_fd(g_pConn, &fd) ? fd : -1;
}

bool ClaimName(const char* name) {
  DBusError error;
  dbus_error_init(&error);
  int result = dbus_bus_request_name(g_pConn, name, DBUS_NAME_FLAG_DO_NOT_QUEUE, &error);
  dbus_error_free(&error);
  return result != DBUS_REQUEST_NAME_REPLY_EXISTS;  // a bus that refuses cannot keep anyone out either
}

void WatchSession() {
  if (!g_pConn) return;
  for (Daemon& d : g_Daemons) {
    AddMatch(OwnerRule(d.busName));
    d.running = HasOwner(d.busName);
  }
  AddMatch(OwnerRule(SESSION_MANAGER));
  AddMatch(std::string("type='signal',sender='") + SESSION_MANAGER + "',path='" + SESSION_MANAGER_PATH +
           "',interface='" + SESSION_MANAGER + "'");
  RefreshSessionInhibited();

  static const DBusObjectPathVTable vtable = {nullptr, Serve, nullptr, nullptr, nullptr, nullptr};
  for (const char* path : SAVER_PATHS) dbus_connection_register_object_path(g_pConn, path, &vtable, nullptr);
  DBusError error;
  dbus_error_init(&error);
  // Replaceable: a desktop's own service that comes later takes the name over.
  unsigned flags = DBUS_NAME_FLAG_ALLOW_REPLACEMENT | DBUS_NAME_FLAG_DO_NOT_QUEUE;
  int result = dbus_bus_request_name(g_pConn, SAVER_NAME, flags, &error);
  dbus_error_free(&error);
  g_bServing = result == DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER;
  if (!g_bServing) {
    for (const char* path : SAVER_PATHS) dbus_connection_unregister_object_path(g_pConn, path);
    if (!HasOwner(SESSION_MANAGER))
      std::fprintf(stderr, "kiru: another program serves %s: the inhibitors it holds are not seen here\n", SAVER_NAME);
  }
}

bool Inhibited() { return !g_Book.Empty() || g_bSessionInhibited; }

const char* OtherDaemon() {
  for (const Daemon& d : g_Daemons)
    if (d.running) return d.name;
  return nullptr;
}

bool SimulatedActivity(DWORD* tick) {
  *tick = g_dwSimulated;
  return g_bSimulated;
}

void SetSaverActive(bool active) {
  if (active == g_bActive) return;
  g_bActive = active;
  g_dwActiveSince = GetTickCount();
  if (!g_bServing) return;
  dbus_bool_t value = active;
  for (const char* path : SAVER_PATHS) {
    DBusMessage* signal = dbus_message_new_signal(path, SAVER_NAME, "ActiveChanged");
    if (signal) dbus_message_append_args(signal, DBUS_TYPE_BOOLEAN, &value, DBUS_TYPE_INVALID);
    Send(signal);
  }
  dbus_connection_flush(g_pConn);
}

void SetIdleTimeQuery(DWORD (*idleMs)()) { g_pIdleMs = idleMs; }

bool OpenIdleMonitor(DWORD waitMs) {
  if (!g_pConn || !HasOwner(IDLE_MONITOR)) return false;
  AddMatch(OwnerRule(IDLE_MONITOR));
  AddMatch(std::string("type='signal',sender='") + IDLE_MONITOR + "',path='" + IDLE_MONITOR_PATH + "',interface='" +
           IDLE_MONITOR + "',member='WatchFired'");
  g_dwMonitorWait = waitMs;
  AddIdleWatch();
  g_bMonitor = g_nWatch != 0;
  return g_bMonitor;
}

void SetIdleMonitorWait(DWORD waitMs) {
  if (!g_bMonitor || waitMs == g_dwMonitorWait) return;
  g_dwMonitorWait = waitMs;
  std::uint32_t old = g_nWatch;
  DBusMessage* remove = dbus_message_new_method_call(IDLE_MONITOR, IDLE_MONITOR_PATH, IDLE_MONITOR, "RemoveWatch");
  if (remove) {
    dbus_message_append_args(remove, DBUS_TYPE_UINT32, &old, DBUS_TYPE_INVALID);
    dbus_message_set_no_reply(remove, true);
  }
  Send(remove);
  AddIdleWatch();
}

DWORD IdleMonitorTime() {
  dbus_uint64_t ms = 0;
  if (!g_bMonitor ||
      !TakeReply(Call(IDLE_MONITOR, IDLE_MONITOR_PATH, IDLE_MONITOR, "GetIdletime", DBUS_TYPE_INVALID),
                 DBUS_TYPE_UINT64, &ms))
    return 0;
  return ms > 0xFFFFFFFEull ? 0xFFFFFFFE : static_cast<DWORD>(ms);
}

unsigned Dispatch() {
  if (!g_pConn) return 0;
  if (!dbus_connection_read_write(g_pConn, 0)) g_nSeen |= BUS_LOST;
  // The blocking calls of what follows the handlers may queue more: go round until
  // nothing is left.
  for (;;) {
    while (dbus_connection_dispatch(g_pConn) == DBUS_DISPATCH_DATA_REMAINS) {
    }
    bool more = !g_NewClients.empty() || g_bRefreshSession || g_bRewatch;
    if (!more) break;
    FollowNewClients();
    if (g_bRefreshSession) {
      g_bRefreshSession = false;
      RefreshSessionInhibited();
    }
    if (g_bRewatch) {
      g_bRewatch = false;
      AddIdleWatch();
    }
  }
  dbus_connection_flush(g_pConn);
  if (!dbus_connection_get_is_connected(g_pConn)) g_nSeen |= BUS_LOST;
  unsigned seen = g_nSeen;
  g_nSeen = 0;
  return seen;
}

}  // namespace plat::bus
