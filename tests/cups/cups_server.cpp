#include "cups_server.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <cups/cups.h>

extern char **environ;

namespace m4k7::test {

namespace {

bool SocketAnswers(const std::string &path) {
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  if (fd < 0) return false;
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
  bool ok = connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0;
  close(fd);
  return ok;
}

} // namespace

std::string CupsServer::FindTool(const char *name) {
  // cupsd and lpadmin live in sbin, which a non-root PATH often lacks.
  std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
  path += ":/usr/sbin:/usr/bin:/sbin:/usr/local/sbin";
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    std::string candidate = path.substr(start, end - start) + "/" + name;
    if (end > start && access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return "";
}

std::string CupsServer::Start() {
  std::string cupsd = FindTool("cupsd");
  if (cupsd.empty()) return "cupsd is not installed (Debian: cups-daemon)";
  if (FindTool("lpadmin").empty()) return "lpadmin is not installed (Debian: cups-client)";

  // Short: the socket path must fit in sun_path.
  char tmpl[] = "/tmp/m4k7-cups-XXXXXX";
  if (mkdtemp(tmpl) == nullptr) return "cannot make a temporary folder";
  dir_ = tmpl;
  for (const char *sub : {"/root", "/spool", "/spool/tmp", "/cache", "/state", "/log", "/home"})
    std::filesystem::create_directories(dir_ + sub);
  const std::string socket = dir_ + "/cups.sock";

  std::ofstream(dir_ + "/cupsd.conf")
      << "Listen " << socket << "\n"
      << "Browsing No\n"
      << "WebInterface No\n"
      << "DefaultAuthType None\n"
      << "LogLevel warn\n"
      << "<Location />\n  Allow all\n</Location>\n"
      << "<Policy default>\n  <Limit All>\n    Allow all\n  </Limit>\n</Policy>\n";
  std::ofstream(dir_ + "/cups-files.conf") << "ServerRoot " << dir_ << "/root\n"
                                           << "RequestRoot " << dir_ << "/spool\n"
                                           << "TempDir " << dir_ << "/spool/tmp\n"
                                           << "CacheDir " << dir_ << "/cache\n"
                                           << "StateDir " << dir_ << "/state\n"
                                           << "ErrorLog " << dir_ << "/log/error_log\n"
                                           << "AccessLog " << dir_ << "/log/access_log\n"
                                           << "PageLog " << dir_ << "/log/page_log\n"
                                           << "Printcap " << dir_ << "/printcap\n"
                                           << "FileDevice Yes\n";

  // This process and the tools it runs talk to this scheduler only; the
  // private HOME keeps ~/.cups/lpoptions out. libcups caches the server per
  // thread, so forget what an earlier test used.
  setenv("CUPS_SERVER", socket.c_str(), 1);
  setenv("HOME", (dir_ + "/home").c_str(), 1);
  unsetenv("M4K7DB_PRINTER_DATA");
  cupsSetServer(nullptr);

  const std::string conf = dir_ + "/cupsd.conf", files = dir_ + "/cups-files.conf",
                    out = dir_ + "/log/cupsd.out";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  char *argv[] = {const_cast<char *>(cupsd.c_str()),
                  const_cast<char *>("-f"),
                  const_cast<char *>("-c"),
                  const_cast<char *>(conf.c_str()),
                  const_cast<char *>("-s"),
                  const_cast<char *>(files.c_str()),
                  nullptr};
  int rc = posix_spawn(&pid_, cupsd.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    pid_ = -1;
    return "cannot start cupsd";
  }

  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!SocketAnswers(socket)) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      std::ifstream log(out);
      return "cupsd exited at start: " + std::string(std::istreambuf_iterator<char>(log), {});
    }
    if (std::chrono::steady_clock::now() > deadline) {
      Stop();
      return "cupsd did not listen on " + socket;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return "";
}

void CupsServer::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  int status = 0;
  while (waitpid(pid_, &status, WNOHANG) != pid_) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  pid_ = -1;
  // The connection to the stopped scheduler is cached too.
  cupsSetServer(nullptr);
}

CupsServer::~CupsServer() {
  Stop();
  if (!dir_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
}

bool CupsServer::Run(const std::string &command, std::string *error) {
  FILE *p = popen((command + " 2>&1").c_str(), "r");
  if (p == nullptr) {
    *error = "cannot run " + command;
    return false;
  }
  std::string output;
  char chunk[256];
  while (size_t n = fread(chunk, 1, sizeof chunk, p)) output.append(chunk, n);
  int status = pclose(p);
  if (status == 0) return true;
  *error = command + ": " + output;
  return false;
}

bool CupsServer::AddQueue(const std::string &name, std::string *error) {
  return Run(FindTool("lpadmin") + " -p '" + name + "' -E -v file:///dev/null -m raw", error);
}

bool CupsServer::SetValue(const std::string &queue, const std::string &valueName, const std::string &text,
                          std::string *error) {
  return Run(FindTool("lpadmin") + " -p '" + queue + "' -o '" + valueName + "-default=" + text + "'", error);
}

} // namespace m4k7::test
