// Text for the HTML report: everything that comes from a results file or the store is escaped
// here, so a host name or a description is shown and never read as markup. Qt-free.
#pragma once

#include <string>
#include <string_view>

namespace report {

// `text` with & < > " ' as character references; bytes that are not UTF-8, and control
// characters other than tab and line feed, as U+FFFD.
std::string html_escape(std::string_view text);

// "%.2f", or "–" for a figure that is not a finite number.
std::string figure_text(double value);

}  // namespace report
