#include "simlink/simconnect_config.h"

#include <vector>

#include "common/files.h"
#include "common/text.h"

namespace talvane::simlink {

namespace {

// Just enough XML for the simulator's hand-edited configuration files:
// elements with their text, attributes skipped, comments, processing
// instructions and DOCTYPE skipped, CDATA and character references kept.
struct Element {
  std::string name;
  std::string text;
  std::vector<Element> children;
};

class XmlReader {
 public:
  explicit XmlReader(std::string_view text) : s_(text) {}

  bool Read(Element& root, std::string& error) {
    std::vector<Element> open;
    bool have_root = false;
    while (pos_ < s_.size()) {
      if (s_[pos_] != '<') {
        const std::size_t end = s_.find('<', pos_);
        const std::string_view raw = s_.substr(pos_, end == std::string_view::npos ? s_.size() - pos_ : end - pos_);
        if (open.empty()) {
          if (!IsBlank(raw)) return Fail("text outside the document element", error);
        } else if (!AppendText(raw, open.back().text, error)) {
          return false;
        }
        Advance(raw.size());
        continue;
      }
      if (Skip("<!--")) {
        if (!SkipPast("-->", "comment", error)) return false;
      } else if (Skip("<![CDATA[")) {
        const std::size_t end = s_.find("]]>", pos_);
        if (end == std::string_view::npos) return Fail("CDATA section never ends", error);
        if (open.empty()) return Fail("CDATA outside the document element", error);
        open.back().text.append(s_.substr(pos_, end - pos_));
        Advance(end + 3 - pos_);
      } else if (Skip("<?")) {
        if (!SkipPast("?>", "processing instruction", error)) return false;
      } else if (Skip("<!")) {
        if (!SkipPast(">", "declaration", error)) return false;
      } else if (Skip("</")) {
        const std::string name = Name();
        SkipBlanks();
        if (!Skip(">")) return Fail("end tag </" + name + " is not closed", error);
        if (open.empty()) return Fail("end tag </" + name + "> without a start tag", error);
        // Hand-edited files mix letter case; the element structure is what matters.
        if (!EqualsNoCase(name, open.back().name))
          return Fail("end tag </" + name + "> does not close <" + open.back().name + ">", error);
        Element done = std::move(open.back());
        open.pop_back();
        if (!Close(std::move(done), open, root, have_root, error)) return false;
      } else {
        ++pos_;
        Element e;
        e.name = Name();
        if (e.name.empty()) return Fail("'<' not followed by an element name", error);
        bool empty = false;
        if (!SkipAttributes(empty, error)) return false;
        if (empty) {
          if (!Close(std::move(e), open, root, have_root, error)) return false;
        } else {
          if (open.empty() && have_root) return Fail("a second document element <" + e.name + ">", error);
          open.push_back(std::move(e));
        }
      }
    }
    if (!open.empty()) return Fail("element <" + open.back().name + "> is never closed", error);
    if (!have_root) return Fail("no document element", error);
    return true;
  }

 private:
  bool Close(Element done, std::vector<Element>& open, Element& root, bool& have_root, std::string& error) {
    if (!open.empty()) {
      open.back().children.push_back(std::move(done));
      return true;
    }
    if (have_root) return Fail("a second document element <" + done.name + ">", error);
    root = std::move(done);
    have_root = true;
    return true;
  }

  static bool IsBlankChar(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
  static bool IsBlank(std::string_view s) {
    for (char c : s)
      if (!IsBlankChar(c)) return false;
    return true;
  }
  static bool IsNameChar(char c) {
    return !IsBlankChar(c) && c != '<' && c != '>' && c != '/' && c != '=' && c != '"' && c != '\'' && c != '\0';
  }

  void Advance(std::size_t n) {
    for (std::size_t i = 0; i < n && pos_ < s_.size(); ++i, ++pos_)
      if (s_[pos_] == '\n') ++line_;
  }
  bool Skip(std::string_view token) {
    if (s_.substr(pos_, token.size()) != token) return false;
    Advance(token.size());
    return true;
  }
  bool SkipPast(std::string_view token, const char* what, std::string& error) {
    const std::size_t end = s_.find(token, pos_);
    if (end == std::string_view::npos) return Fail(std::string(what) + " never ends", error);
    Advance(end + token.size() - pos_);
    return true;
  }
  void SkipBlanks() {
    while (pos_ < s_.size() && IsBlankChar(s_[pos_])) Advance(1);
  }
  std::string Name() {
    const std::size_t start = pos_;
    while (pos_ < s_.size() && IsNameChar(s_[pos_])) ++pos_;
    return std::string(s_.substr(start, pos_ - start));
  }

  // Attributes: name="value" or name='value'; a '>' inside a value is text.
  bool SkipAttributes(bool& empty, std::string& error) {
    for (;;) {
      SkipBlanks();
      if (pos_ >= s_.size()) return Fail("start tag is not closed", error);
      if (Skip("/>")) {
        empty = true;
        return true;
      }
      if (Skip(">")) return true;
      if (Name().empty()) return Fail("unexpected '" + std::string(1, s_[pos_]) + "' in a start tag", error);
      SkipBlanks();
      if (!Skip("=")) return Fail("attribute without a value", error);
      SkipBlanks();
      if (pos_ >= s_.size() || (s_[pos_] != '"' && s_[pos_] != '\''))
        return Fail("attribute value without quotes", error);
      const char quote = s_[pos_];
      Advance(1);
      const std::size_t end = s_.find(quote, pos_);
      if (end == std::string_view::npos) return Fail("attribute value never ends", error);
      Advance(end + 1 - pos_);
    }
  }

  bool AppendText(std::string_view raw, std::string& out, std::string& error) {
    for (std::size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] != '&') {
        out += raw[i];
        continue;
      }
      const std::size_t semi = raw.find(';', i);
      if (semi == std::string_view::npos || semi - i > 10) return Fail("'&' does not start a reference", error);
      const std::string_view ref = raw.substr(i + 1, semi - i - 1);
      if (ref == "amp")
        out += '&';
      else if (ref == "lt")
        out += '<';
      else if (ref == "gt")
        out += '>';
      else if (ref == "quot")
        out += '"';
      else if (ref == "apos")
        out += '\'';
      else if (ref.size() > 1 && ref[0] == '#') {
        const bool hex = ref[1] == 'x' || ref[1] == 'X';
        const std::string_view digits = ref.substr(hex ? 2 : 1);
        unsigned long cp = 0;
        if (digits.empty()) return Fail("empty character reference", error);
        for (char c : digits) {
          int d;
          if (c >= '0' && c <= '9')
            d = c - '0';
          else if (hex && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
          else if (hex && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
          else
            return Fail("bad character reference &" + std::string(ref) + ";", error);
          cp = cp * (hex ? 16 : 10) + static_cast<unsigned>(d);
          if (cp > 0x10FFFF) return Fail("character reference out of range", error);
        }
        out += CodePointToCp1252(static_cast<char32_t>(cp));
      } else {
        return Fail("unknown entity &" + std::string(ref) + ";", error);
      }
      i = semi;
    }
    return true;
  }

  bool Fail(const std::string& what, std::string& error) const {
    error = "line " + std::to_string(line_) + ": " + what;
    return false;
  }

  std::string_view s_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

std::string TrimBlanks(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return std::string(s);
}

// The trimmed text of the first child called `name`, nullopt without one.
std::optional<std::string> ChildText(const Element& e, std::string_view name) {
  for (const auto& c : e.children)
    if (EqualsNoCase(c.name, name)) return TrimBlanks(c.text);
  return std::nullopt;
}

bool IsTrue(const std::optional<std::string>& value) {
  return value && (EqualsNoCase(*value, "True") || EqualsNoCase(*value, "Yes") || *value == "1");
}

bool ParsePort(std::string_view text, std::uint16_t& port) {
  if (text.empty() || text.size() > 5) return false;
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value == 0 || value > 65535) return false;
  port = static_cast<std::uint16_t>(value);
  return true;
}

void CollectComm(const Element& e, std::vector<const Element*>& out) {
  for (const auto& c : e.children) {
    if (EqualsNoCase(c.name, "SimConnect.Comm"))
      out.push_back(&c);
    else
      CollectComm(c, out);
  }
}

// The file's bytes as Windows-1252 text: a UTF-8 byte-order mark is dropped
// (the names and numbers we read are ASCII either way), UTF-16 is converted.
std::string AsSingleByteText(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") return std::string(text.substr(3));
  const bool le = text.substr(0, 2) == "\xFF\xFE";
  if (le || text.substr(0, 2) == "\xFE\xFF") {
    std::u16string units;
    for (std::size_t i = 2; i + 1 < text.size(); i += 2) {
      const auto a = static_cast<unsigned char>(text[i]), b = static_cast<unsigned char>(text[i + 1]);
      units += static_cast<char16_t>(le ? (b << 8 | a) : (a << 8 | b));
    }
    return Utf16ToCp1252(units);
  }
  return std::string(text);
}

}  // namespace

bool ParseSimConnectXml(std::string_view text, Endpoint& endpoint, std::string& error) {
  const std::string body = AsSingleByteText(text);
  Element root;
  if (!XmlReader(body).Read(root, error)) return false;
  if (IsTrue(ChildText(root, "Disabled"))) {
    error = "the simulator's add-on server is disabled";
    return false;
  }
  std::vector<const Element*> comms;
  CollectComm(root, comms);
  for (const Element* comm : comms) {
    if (IsTrue(ChildText(*comm, "Disabled"))) continue;
    const auto protocol = ChildText(*comm, "Protocol");
    if (!protocol || !EqualsNoCase(*protocol, "IPv4")) continue;
    const auto address = ChildText(*comm, "Address");
    const auto port = ChildText(*comm, "Port");
    if (!address || address->empty() || !port) continue;
    Endpoint found;
    if (!ParsePort(*port, found.port)) {
      error = "the IPv4 entry's port \"" + *port + "\" is not a port number";
      return false;
    }
    found.host = *address == "0.0.0.0" ? "127.0.0.1" : *address;
    endpoint = found;
    return true;
  }
  error = "no enabled SimConnect.Comm entry with Protocol IPv4, an Address and a Port";
  return false;
}

bool ParseEndpointSetting(std::string_view text, Endpoint& endpoint, std::string& error) {
  const std::string s = TrimBlanks(text);
  const auto colon = s.rfind(':');
  if (colon == std::string::npos || colon == 0) {
    error = "\"" + s + "\" is not host:port";
    return false;
  }
  Endpoint found;
  found.host = s.substr(0, colon);
  if (!ParsePort(std::string_view(s).substr(colon + 1), found.port)) {
    error = "\"" + s.substr(colon + 1) + "\" is not a port number";
    return false;
  }
  endpoint = found;
  return true;
}

std::optional<std::filesystem::path> FindSimConnectXml(const std::filesystem::path& wine_prefix,
                                                       std::string_view user) {
  if (!IsPlainFileName(user)) return std::nullopt;
  const std::string home = "drive_c/users/" + std::string(user);
  for (const char* data : {"/AppData/Roaming", "/Application Data"}) {
    auto found = FindCaseInsensitive(wine_prefix, home + data + "/Microsoft/FSX/SimConnect.xml", false);
    if (found && FileExists(*found)) return found;
  }
  return std::nullopt;
}

bool LocateSimulator(std::string_view setting, const std::filesystem::path& wine_prefix, std::string_view user,
                     Endpoint& endpoint, std::string& error) {
  if (!TrimBlanks(setting).empty()) {
    if (ParseEndpointSetting(setting, endpoint, error)) return true;
    error = "the simulator address setting: " + error;
    return false;
  }
  const auto file = FindSimConnectXml(wine_prefix, user);
  if (!file) {
    error = "no SimConnect.xml in the application data of user " + std::string(user) + " in " + wine_prefix.string();
    return false;
  }
  const auto text = ReadWholeFile(*file);
  if (!text) {
    error = file->string() + ": cannot be read";
    return false;
  }
  if (ParseSimConnectXml(*text, endpoint, error)) return true;
  error = file->string() + ": " + error;
  return false;
}

}  // namespace talvane::simlink
