// printf-style formatting into std::string. Every figure of the program is formatted this way,
// in the "C" numeric locale, so the console reads the same in every locale.
#pragma once

#include <string>

namespace app {

[[gnu::format(printf, 1, 2)]] std::string strprintf(const char* fmt, ...);

}  // namespace app
