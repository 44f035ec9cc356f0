#include "output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <random>

namespace m4k7cli {

namespace fs = std::filesystem;

bool TakeOutputOption(Args *args, bool *given, std::string *path, std::string *error) {
  Args rest;
  for (size_t i = 0; i < args->size(); ++i) {
    const std::string &a = (*args)[i];
    if (a == "--") {
      rest.insert(rest.end(), args->begin() + long(i), args->end());
      break;
    }
    if (a == "-o" || a == "--output") {
      if (i + 1 >= args->size()) {
        *error = "option " + a + " needs a file";
        return false;
      }
      *given = true;
      *path = (*args)[++i];
    } else if (a.rfind("--output=", 0) == 0) {
      *given = true;
      *path = a.substr(9);
    } else {
      rest.push_back(a);
    }
  }
  if (*given && path->empty()) {
    *error = "option --output needs a file";
    return false;
  }
  *args = std::move(rest);
  return true;
}

bool WriteFileAtomically(const std::string &path, std::string_view text, std::string *error) {
  const fs::path target(path);
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    *error = "cannot write " + path + ": no folder " + folder.string();
    return false;
  }
  const fs::file_status st = fs::status(target, ec);
  if (fs::exists(st)) {
    if (!fs::is_regular_file(st)) {
      *error = "cannot write " + path + ": not a regular file";
      return false;
    }
    if ((st.permissions() & fs::perms::owner_write) == fs::perms::none) {
      *error = "cannot write " + path + ": the file is not writable";
      return false;
    }
  }
  // A fresh name beside the target: the rename then stays on one file system.
  std::random_device random;
  std::string temp;
  std::FILE *file = nullptr;
  for (int attempt = 0; attempt < 16 && !file; ++attempt) {
    temp = path + ".tmp" + std::to_string(random() % 1000000);
    file = std::fopen(temp.c_str(), "wbx");
    if (!file && errno != EEXIST) break;
  }
  if (!file) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const int writeErrno = errno;
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    *error = "cannot write " + path + ": " + std::strerror(written ? errno : writeErrno);
    fs::remove(temp, ec);
    return false;
  }
  fs::rename(temp, target, ec);
  if (ec) {
    *error = "cannot write " + path + ": " + ec.message();
    fs::remove(temp, ec);
    return false;
  }
  return true;
}

int WriteOutput(std::string_view command, bool toFile, const std::string &path, std::string_view text,
                std::ostream &out, std::ostream &err) {
  if (!toFile) {
    out << text;
    return kExitOk;
  }
  std::string error;
  if (WriteFileAtomically(path, text, &error)) return kExitOk;
  err << "m4k7db " << command << ": " << error << '\n';
  return kExitError;
}

} // namespace m4k7cli
