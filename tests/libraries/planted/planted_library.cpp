// A library linked the way the speech libraries must not be: without their
// version script and with default visibility, so that a helper and a
// function-local static (a unique symbol) reach its dynamic symbols. The
// boundary checks must find both faults in it.
extern "C" int planted_helper(int v) { return v + 1; }

inline int& CallCount() {
  static int count = 0;  // exported as a unique symbol, which pins the library
  return count;
}

extern "C" int fnPlanted_Call(int v) {
  ++CallCount();
  return planted_helper(v);
}
