#include "platform/temp_file_guard_linux.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <initializer_list>

#include "platform/temp_name.h"

namespace {

// The named temporary file for the signal handler: its folder and its name in that folder.
volatile sig_atomic_t g_temp_folder = -1;
volatile sig_atomic_t g_temp_named = 0;
char g_temp_name[kTempNameLength + 1];

extern "C" void RemoveTemporaryAndStop(int sig) {
  if (g_temp_named) {
    unlinkat(g_temp_folder, g_temp_name, 0);
  }
  signal(sig, SIG_DFL);
  raise(sig);  // delivered with the default action once the handler returns
}

}  // namespace

void TempFileGuard::InstallSignalHandlers() {
  static bool installed = false;
  if (installed) {
    return;
  }
  installed = true;
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction old {};
    if (sigaction(sig, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) {
      continue;
    }
    struct sigaction action {};
    action.sa_handler = RemoveTemporaryAndStop;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(sig, &action, nullptr);
  }
  signal(SIGXFSZ, SIG_IGN);
}

const char* TempFileGuard::Claim(int folder) {
  MakeTempName(g_temp_name);
  g_temp_folder = folder;
  g_temp_named = 1;
  return g_temp_name;
}

const char* TempFileGuard::Name() {
  return g_temp_name;
}

void TempFileGuard::Release() {
  g_temp_named = 0;
}
