#include "json.h"

#include <algorithm>
#include <sstream>

#include "text.h"

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

void WriteJsonString(std::ostream &out, std::string_view s) {
  static const char kHex[] = "0123456789abcdef";
  out << '"';
  for (size_t i = 0; i < s.size();) {
    const uint8_t b = uint8_t(s[i]);
    const char *escape = b == '"'    ? "\\\""
                         : b == '\\' ? "\\\\"
                         : b == '\n' ? "\\n"
                         : b == '\r' ? "\\r"
                         : b == '\t' ? "\\t"
                                     : nullptr;
    uint32_t cp = 0;
    const size_t n = escape || b < 0x20 || b == 0x7F ? 0 : Utf8Sequence(s, i, &cp);
    if (escape)
      out << escape;
    else if (n == 0)
      out << "\\u00" << kHex[b >> 4] << kHex[b & 0xF];
    else
      out << s.substr(i, n);
    i += std::max<size_t>(n, 1);
  }
  out << '"';
}

void Json::write(std::ostream &out, int indent) const {
  switch (type_) {
  case Type::Null: out << "null"; return;
  case Type::Bool: out << (int_ ? "true" : "false"); return;
  case Type::Int: out << int_; return;
  case Type::String: WriteJsonString(out, string_); return;
  case Type::Array:
  case Type::Object: break;
  }
  const bool isArray = type_ == Type::Array;
  const size_t n = isArray ? elements_.size() : members_.size();
  // An array of scalars stays on one line.
  const bool flat = isArray && std::all_of(elements_.begin(), elements_.end(), [](const Json &e) {
                      return e.type_ != Type::Array && e.type_ != Type::Object;
                    });
  out << (isArray ? '[' : '{') << (flat || n == 0 ? "" : "\n");
  for (size_t i = 0; i < n; ++i) {
    if (!flat) out << std::string(size_t(indent + 2), ' ');
    if (!isArray) {
      WriteJsonString(out, members_[i].first);
      out << ": ";
    }
    (isArray ? elements_[i] : members_[i].second).write(out, indent + 2);
    out << (i + 1 < n ? (flat ? ", " : ",\n") : (flat ? "" : "\n"));
  }
  if (!flat && n) out << std::string(size_t(indent), ' ');
  out << (isArray ? ']' : '}');
}

std::string Json::dump() const {
  std::ostringstream out;
  out << *this;
  return out.str();
}

} // namespace m4k7cli
