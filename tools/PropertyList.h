// XML property lists, as hosts store ".aupreset" files and bundles their
// Info.plist: a small value tree, a reader and a writer.
//
// The reader takes any bytes and either returns the whole tree or refuses
// with a reason, quoting the text only as a short printable excerpt: unknown
// elements, a key without a value, bad numbers, bad
// base64, nesting deeper than kMaxPlistDepth, more elements or markup than
// the XML road's bounds, files larger than kMaxPlistBytes and the binary
// form are all refused. It never reads past the text it is given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace auhost {

inline constexpr int kMaxPlistDepth = 32;
inline constexpr size_t kMaxPlistBytes = 64u << 20;

struct PlistValue
{
  enum class Kind
  {
    String,
    Integer,
    Real,
    Boolean,
    Data,
    Array,
    Dict,
  };
  Kind kind = Kind::String;
  std::string text;
  int64_t integer = 0;
  double real = 0.0;
  bool boolean = false;
  std::vector<uint8_t> data;
  std::vector<PlistValue> array;
  std::vector<std::pair<std::string, PlistValue>> dict; // in file order, keys unique

  static PlistValue String(std::string s);
  static PlistValue Integer(int64_t i);
  static PlistValue Real(double r);
  static PlistValue Data(std::vector<uint8_t> bytes);
  static PlistValue Dict();
  // The value under key of a dictionary; null when absent or not a dictionary.
  const PlistValue* Find(const std::string& key) const;
  bool operator==(const PlistValue&) const = default;
};

// The root value of an XML property list; nullopt with `error` set when the
// text is not one.
std::optional<PlistValue> ParsePlist(std::string_view xml, std::string& error);
// The XML text of a property list whose root is `root`.
std::string WritePlist(const PlistValue& root);

// Standard base64 (whitespace between groups allowed on reading); nullopt
// for any other character or a bad padding.
std::optional<std::vector<uint8_t>> DecodeBase64(const std::string& text);
std::string EncodeBase64(const std::vector<uint8_t>& bytes);

} // namespace auhost
