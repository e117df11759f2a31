// What the compiler tells the user about a grammar source: errors stop the
// compile, warnings only inform. Positions count from 1; a column counts
// characters (a TAB is one).
#pragma once

#include <string>
#include <vector>

namespace talvane::grisk {

struct Position {
  int line = 0;
  int column = 0;
};

struct Diagnostic {
  std::string file;  // the source's file name
  Position pos;      // line 0: about the file as a whole
  bool error = true;
  std::string text;  // UTF-8
};

class Diagnostics {
 public:
  void Error(const std::string& file, Position pos, std::string text) { Add(file, pos, true, std::move(text)); }
  void Warning(const std::string& file, Position pos, std::string text) { Add(file, pos, false, std::move(text)); }
  const std::vector<Diagnostic>& all() const { return all_; }
  int errors() const { return errors_; }
  int warnings() const { return static_cast<int>(all_.size()) - errors_; }
  // "Autopilot.bnf, line 12, column 5: error: ..."
  static std::string Format(const Diagnostic& d);

 private:
  void Add(const std::string& file, Position pos, bool error, std::string text) {
    all_.push_back({file, pos, error, std::move(text)});
    if (error) ++errors_;
  }
  std::vector<Diagnostic> all_;
  int errors_ = 0;
};

}  // namespace talvane::grisk
