#include "json.h"

#include <sstream>

namespace m4k7cli {

Json &Json::push(Json value) {
  elements_.push_back(std::move(value));
  return elements_.back();
}

Json &Json::set(std::string_view name, Json value) {
  for (auto &member : members_)
    if (member.first == name) return member.second = std::move(value);
  members_.emplace_back(std::string(name), std::move(value));
  return members_.back().second;
}

const Json *Json::find(std::string_view name) const {
  for (const auto &member : members_)
    if (member.first == name) return &member.second;
  return nullptr;
}

namespace {

// Length of the valid UTF-8 sequence at s[i], or 0.
size_t utf8Length(std::string_view s, size_t i) {
  const auto byte = [&](size_t k) { return uint8_t(s[k]); };
  uint8_t b = byte(i);
  size_t n = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  uint32_t cp = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
  for (size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
  static const uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[n] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return 0;
  return n;
}

void writeEscape(std::ostream &out, uint8_t b) {
  static const char kHex[] = "0123456789abcdef";
  out << "\\u00" << kHex[b >> 4] << kHex[b & 0xF];
}

bool isScalar(const Json &j) { return j.type() != Json::Type::Array && j.type() != Json::Type::Object; }

} // namespace

void WriteJsonString(std::ostream &out, std::string_view s) {
  out << '"';
  for (size_t i = 0; i < s.size();) {
    uint8_t b = uint8_t(s[i]);
    switch (b) {
    case '"':
      out << "\\\"";
      ++i;
      continue;
    case '\\':
      out << "\\\\";
      ++i;
      continue;
    case '\n':
      out << "\\n";
      ++i;
      continue;
    case '\r':
      out << "\\r";
      ++i;
      continue;
    case '\t':
      out << "\\t";
      ++i;
      continue;
    default: break;
    }
    if (b < 0x20 || b == 0x7F) {
      writeEscape(out, b);
      ++i;
      continue;
    }
    size_t n = utf8Length(s, i);
    if (n == 0) {
      writeEscape(out, b);
      ++i;
      continue;
    }
    out << s.substr(i, n);
    i += n;
  }
  out << '"';
}

void Json::write(std::ostream &out, int indent) const {
  const std::string pad(size_t(indent + 2), ' ');
  switch (type_) {
  case Type::Null: out << "null"; break;
  case Type::Bool: out << (int_ ? "true" : "false"); break;
  case Type::Int: out << int_; break;
  case Type::String: WriteJsonString(out, string_); break;
  case Type::Array: {
    bool flat = true;
    for (const Json &e : elements_) flat = flat && isScalar(e);
    if (elements_.empty()) {
      out << "[]";
    } else if (flat) {
      out << '[';
      for (size_t i = 0; i < elements_.size(); ++i) {
        if (i) out << ", ";
        elements_[i].write(out, indent);
      }
      out << ']';
    } else {
      out << "[\n";
      for (size_t i = 0; i < elements_.size(); ++i) {
        out << pad;
        elements_[i].write(out, indent + 2);
        out << (i + 1 < elements_.size() ? ",\n" : "\n");
      }
      out << std::string(size_t(indent), ' ') << ']';
    }
    break;
  }
  case Type::Object: {
    if (members_.empty()) {
      out << "{}";
      break;
    }
    out << "{\n";
    for (size_t i = 0; i < members_.size(); ++i) {
      out << pad;
      WriteJsonString(out, members_[i].first);
      out << ": ";
      members_[i].second.write(out, indent + 2);
      out << (i + 1 < members_.size() ? ",\n" : "\n");
    }
    out << std::string(size_t(indent), ' ') << '}';
    break;
  }
  }
}

std::string Json::dump() const {
  std::ostringstream out;
  write(out);
  return out.str();
}

} // namespace m4k7cli
