#include "app/format.h"

#include <locale.h>

#include <cstdarg>
#include <cstdio>

namespace app {
namespace {

// Figures print with a decimal point whatever locale the face (or Qt) has set: formatting
// switches the calling thread to the "C" locale for the duration of the call.
locale_t c_locale() {
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return loc;
}

class ScopedCLocale {
  public:
    ScopedCLocale() : old_(c_locale() ? uselocale(c_locale()) : static_cast<locale_t>(0)) {}
    ~ScopedCLocale() {
        if (old_) uselocale(old_);
    }
    ScopedCLocale(const ScopedCLocale&) = delete;
    ScopedCLocale& operator=(const ScopedCLocale&) = delete;

  private:
    locale_t old_;
};

}  // namespace

std::string strprintf(const char* fmt, ...) {
    ScopedCLocale c_numbers;
    va_list ap;
    va_start(ap, fmt);
    va_list ap2;
    va_copy(ap2, ap);
    const int n = std::vsnprintf(nullptr, 0, fmt, ap);
    va_end(ap);
    std::string out;
    if (n > 0) {
        out.resize(static_cast<size_t>(n));
        std::vsnprintf(out.data(), out.size() + 1, fmt, ap2);
    }
    va_end(ap2);
    return out;
}

}  // namespace app
