// A private CUPS scheduler for one test: its own folder, listening only on
// a unix socket there, with CUPS_SERVER and HOME of this process pointed at
// it so that neither the machine's scheduler nor the user's lpoptions take
// part.
#pragma once

#include <string>
#include <sys/types.h>

namespace m4k7::test {

class CupsServer {
public:
  CupsServer() = default;
  ~CupsServer();
  CupsServer(const CupsServer &) = delete;
  CupsServer &operator=(const CupsServer &) = delete;

  // Empty when the scheduler runs; otherwise why it does not (cupsd not
  // installed, or it did not come up).
  std::string Start();
  // Stops the scheduler (by its PID) and waits for it; the socket stays
  // configured, so later lookups find no server.
  void Stop();

  // lpadmin: a raw queue writing to /dev/null, and a stored value
  // ("ValueName-default=text"). False with the tool's output in *error.
  bool AddQueue(const std::string &name, std::string *error);
  bool SetValue(const std::string &queue, const std::string &valueName, const std::string &text,
                std::string *error);

  // Where the tools are; empty when not installed.
  static std::string FindTool(const char *name);

private:
  bool Run(const std::string &command, std::string *error);
  std::string dir_;
  pid_t pid_ = -1;
};

} // namespace m4k7::test
