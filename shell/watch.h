// kiru --watch: one process per user session that starts full-screen saving once the
// session has been idle for the wait of the screen saver's page (settings/saverpage.h),
// and goes on watching.
#pragma once

// Runs until a close signal (0, the saver it started closed first), or until its
// session goes (-1). A second watcher of the session ends at once with 0; a session
// with nothing that tells when it is idle ends it with 1.
int RunWatcher();
