#include "ask.h"

#include <cstdio>
#include <cstring>

#include <gtest/gtest.h>

namespace m4k7::test {

namespace {

using AccessFn = AccessStatus (*)(uint32_t, const AccessRequest *, uint32_t, void *, uint32_t *);

AccessFn FunctionOf(Database db) {
  switch (db) {
  case Database::Root:
    return [](uint32_t k, const AccessRequest *r, uint32_t s, void *b, uint32_t *o) {
      return VRT_AccessRootDataBase(k, r, s, b, o);
    };
  case Database::Driver:
    return [](uint32_t k, const AccessRequest *r, uint32_t s, void *b, uint32_t *o) {
      return VRT_AccessDrvDataBase(k, r, s, b, o);
    };
  case Database::LanguageMonitor:
    return [](uint32_t k, const AccessRequest *r, uint32_t s, void *b, uint32_t *o) {
      return VRT_AccessLMDataBase(k, r, s, b, o);
    };
  case Database::Maintenance:
    return [](uint32_t k, const AccessRequest *r, uint32_t s, void *b, uint32_t *o) {
      return VRT_AccessMntDataBase(k, r, s, b, o);
    };
  case Database::PA:
    return [](uint32_t k, const AccessRequest *r, uint32_t s, void *b, uint32_t *o) {
      return VRT_AccessPADataBase(k, r, s, b, o);
    };
  case Database::StatusMonitor:
    return [](uint32_t k, const AccessRequest *r, uint32_t s, void *b, uint32_t *o) {
      return VRT_AccessSMDataBase(k, r, s, b, o);
    };
  }
  return nullptr;
}

} // namespace

Request Request::Standard(Database db) {
  Request r;
  static constexpr uint32_t kInts[] = {1, 106, 14, 1, 4, 17};
  static constexpr uint32_t kStrings[] = {1, 0, 5, 0, 0, 9};
  r.ints.assign(kInts[int(db)], 0);
  r.strings.assign(kStrings[int(db)], std::string());
  r.absentStrings.assign(kStrings[int(db)], false);
  return r;
}

Request &Request::set(uint32_t slot, int32_t value) {
  if (slot >= ints.size()) ints.resize(slot + 1, 0);
  ints[slot] = value;
  return *this;
}

Request &Request::setString(uint32_t slot, std::string value) {
  if (slot >= strings.size()) {
    strings.resize(slot + 1);
    absentStrings.resize(slot + 1, false);
  }
  strings[slot] = std::move(value);
  absentStrings[slot] = false;
  return *this;
}

Request &Request::withSettings(std::initializer_list<std::pair<uint32_t, int32_t>> slots) {
  for (auto [slot, value] : slots) set(slot, value);
  return *this;
}

const AccessRequest &Request::view() {
  absentStrings.resize(strings.size(), false);
  pointers_.clear();
  for (size_t i = 0; i < strings.size(); ++i)
    pointers_.push_back(absentStrings[i] ? nullptr : strings[i].c_str());
  request_.printerHandle = printerHandle;
  request_.context = context;
  request_.stringParamCount = uint32_t(strings.size());
  request_.stringParams = pointers_.empty() ? nullptr : pointers_.data();
  request_.intParamCount = uint32_t(ints.size());
  request_.intParams = ints.empty() ? nullptr : ints.data();
  request_.printerName =
      printerName.empty() ? nullptr : reinterpret_cast<const uint16_t *>(printerName.c_str());
  return request_;
}

std::vector<int32_t> Answer::ints() const {
  std::vector<int32_t> out(bytes.size() / 4);
  if (!out.empty()) std::memcpy(out.data(), bytes.data(), out.size() * 4);
  return out;
}

std::u16string Answer::wide() const {
  std::u16string out(bytes.size() / 2, u'\0');
  if (!out.empty()) std::memcpy(out.data(), bytes.data(), out.size() * 2);
  if (!out.empty() && out.back() == u'\0') out.pop_back();
  return out;
}

Answer AskOnce(Database db, uint32_t key, Request &request, uint32_t bufferSize) {
  Answer a;
  std::vector<uint8_t> buffer(bufferSize + 16, 0xCD);
  uint32_t size = 0xDEADBEEF;
  a.status = FunctionOf(db)(key, &request.view(), bufferSize, buffer.data(), &size);
  for (size_t i = bufferSize; i < buffer.size(); ++i)
    if (buffer[i] != 0xCD) ADD_FAILURE() << "key " << key << ": wrote past the buffer at " << i;
  a.size = size;
  if (a.status == 0 && size != 0xDEADBEEF && size <= bufferSize)
    a.bytes.assign(buffer.begin(), buffer.begin() + size);
  else if (a.status == 0)
    a.bytes.assign(buffer.begin(), buffer.begin() + bufferSize);
  return a;
}

Answer Ask(Database db, uint32_t key, Request &request) {
  uint32_t size = 0xDEADBEEF;
  AccessStatus first = FunctionOf(db)(key, &request.view(), 0, nullptr, &size);
  if (first != 2) {
    Answer a;
    a.status = first;
    a.size = size;
    return a;
  }
  Answer a = AskOnce(db, key, request, size);
  if (a.status == 0 && a.size != size)
    ADD_FAILURE() << "key " << key << ": size query said " << size << ", answer has " << a.size;
  if (size > 0) {
    Answer shorter = AskOnce(db, key, request, size - 1);
    if (shorter.status != 2 || shorter.size != size)
      ADD_FAILURE() << "key " << key << ": a buffer one byte short gave status " << shorter.status;
  }
  return a;
}

std::string Hex(const std::vector<uint8_t> &bytes) {
  std::string out;
  char cell[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(cell, sizeof cell, "%02X", bytes[i]);
    if (i) out += ' ';
    out += cell;
  }
  return out;
}

std::vector<uint8_t> Bytes(std::string_view escaped) {
  return std::vector<uint8_t>(escaped.begin(), escaped.end());
}

std::u16string Utf16(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

} // namespace m4k7::test
