// A small JSON value for the tool's --format json output: objects keep
// their members in insertion order so that the output reads like the text
// form.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace m4k7cli {

class Json {
public:
  enum class Type : uint8_t { Null, Bool, Int, String, Array, Object };

  Json() = default;
  Json(bool b) : type_(Type::Bool), int_(b) {}
  template <class T, class = std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool>>>
  Json(T v) : type_(Type::Int), int_(int64_t(v)) {}
  Json(const char *s) : type_(Type::String), string_(s) {}
  Json(std::string s) : type_(Type::String), string_(std::move(s)) {}
  Json(std::string_view s) : type_(Type::String), string_(s) {}

  static Json array() {
    Json j;
    j.type_ = Type::Array;
    return j;
  }
  static Json object() {
    Json j;
    j.type_ = Type::Object;
    return j;
  }
  template <class T> static Json arrayOf(const std::vector<T> &values) {
    Json j = array();
    for (const T &v : values) j.push(Json(v));
    return j;
  }

  // Appends to an array.
  Json &push(Json value);
  // Sets a member of an object (replacing one of the same name).
  Json &set(std::string_view name, Json value);

  // Two-space indentation; arrays of scalars stay on one line.
  void write(std::ostream &out, int indent = 0) const;
  std::string dump() const;

private:
  Type type_ = Type::Null;
  int64_t int_ = 0;
  std::string string_;
  std::vector<Json> elements_;
  std::vector<std::pair<std::string, Json>> members_;
};

inline std::ostream &operator<<(std::ostream &out, const Json &j) {
  j.write(out);
  return out;
}

// Writes s as a JSON string literal. s is taken as UTF-8; bytes that do not
// form valid UTF-8 are written as \u00XX (their Latin-1 reading), so the
// output is always valid JSON whatever bytes an answer held.
void WriteJsonString(std::ostream &out, std::string_view s);

} // namespace m4k7cli
