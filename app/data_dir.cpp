#include "app/data_dir.h"

#include <unistd.h>

#include <cstdlib>

#ifndef LUMETRA_DATA_DIR
#define LUMETRA_DATA_DIR "/usr/local/share/lumetra2"
#endif

namespace app {

namespace fs = std::filesystem;

fs::path installed_data_directory() {
    // Beside the program: <prefix>/bin/lumetra2-cli reads <prefix>/share/lumetra2, wherever the
    // package put the prefix. A program in the build tree finds nothing there.
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec && exe.has_parent_path() && exe.parent_path().filename() == "bin")
        return exe.parent_path().parent_path() / "share/lumetra2";
    return LUMETRA_DATA_DIR;
}

fs::path user_data_directory() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/') return fs::path(xdg) / "lumetra2";
    const char* home = std::getenv("HOME");
    if (home && *home) return fs::path(home) / ".local/share/lumetra2";
    return {};
}

bool has_data_folders(const fs::path& dir) {
    std::error_code ec;
    for (const char* sub : {"MD", "Input Files", "Profiles"})
        if (fs::is_directory(dir / sub, ec)) return true;
    return false;
}

bool seed_directory(const fs::path& from, const fs::path& to, std::string* error) {
    std::error_code ec;
    fs::create_directories(to, ec);
    if (ec) {
        if (error) *error = "cannot create " + to.string() + ": " + ec.message();
        return false;
    }
    fs::recursive_directory_iterator it(from, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const fs::path rel = fs::relative(it->path(), from, ec);
        if (ec) break;
        const fs::path target = to / rel;
        if (it->is_directory(ec)) {
            fs::create_directories(target, ec);
        } else if (!fs::exists(target, ec)) {
            fs::copy_file(it->path(), target, ec);
            // The installed files are read-only; the user's copies must be editable.
            if (!ec)
                fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write,
                                fs::perm_options::add, ec);
        }
        if (ec) {
            if (error) *error = "cannot copy " + it->path().string() + ": " + ec.message();
            return false;
        }
    }
    if (ec) {
        if (error) *error = "cannot read " + from.string() + ": " + ec.message();
        return false;
    }
    return true;
}

fs::path choose_working_directory(const fs::path& cwd, const fs::path& installed,
                                  const fs::path& user, std::string* error) {
    std::error_code ec;
    const bool is_installed = fs::equivalent(cwd, installed, ec) && !ec;
    const bool writable = ::access(cwd.c_str(), W_OK) == 0;
    if (!is_installed && writable && has_data_folders(cwd)) return cwd;
    if (!has_data_folders(installed)) return cwd;  // nothing to seed from: as before
    if (user.empty()) {
        if (error) *error = "no per-user directory (neither XDG_DATA_HOME nor HOME is set)";
        return {};
    }
    if (!seed_directory(installed, user, error)) return {};
    return user;
}

std::string enter_working_directory() {
    std::error_code ec;
    const fs::path cwd = fs::current_path(ec);
    if (ec) return {};
    std::string error;
    const fs::path dir =
        choose_working_directory(cwd, installed_data_directory(), user_data_directory(), &error);
    if (dir.empty()) return "cannot use the per-user working directory: " + error;
    if (dir == cwd) return {};
    fs::current_path(dir, ec);
    if (ec) return "cannot enter " + dir.string() + ": " + ec.message();
    return "working in " + dir.string() + " (no benchmark data in " + cwd.string() + ")";
}

}  // namespace app
