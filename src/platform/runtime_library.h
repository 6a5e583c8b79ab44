// A shared library opened at run time, its functions looked up by name: the game reaches the
// system libraries it does not link (libX11, libXext) this way, as SDL itself does.
#pragma once

namespace platform {

struct RuntimeLibrary {
  void* handle = nullptr;

  bool Open(const char* soname);
  // The address of name in the open library, nullptr when it has none.
  void* Find(const char* name) const;
  template <typename F>
  bool Sym(F& f, const char* name) {
    f = reinterpret_cast<F>(Find(name));
    return f != nullptr;
  }
  // Keeps the library open only when every function it must have was found.
  bool KeepIf(bool ok);
};

}  // namespace platform
