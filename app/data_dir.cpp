#include "app/data_dir.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>

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

bool content_hash(const fs::path& file, unsigned long long* hash) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    unsigned long long h = 14695981039346656037ull;
    char buf[65536];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
        for (std::streamsize i = 0; i < in.gcount(); ++i) {
            h ^= static_cast<unsigned char>(buf[i]);
            h *= 1099511628211ull;
        }
    }
    if (in.bad()) return false;
    *hash = h;
    return true;
}

namespace {

using Manifest = std::map<std::string, unsigned long long>;

Manifest read_manifest(const fs::path& file) {
    Manifest m;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() < 19 || line.compare(16, 2, "  ") != 0) continue;
        char* end = nullptr;
        const unsigned long long h = std::strtoull(line.c_str(), &end, 16);
        if (end == line.c_str() + 16) m[line.substr(18)] = h;
    }
    return m;
}

bool write_manifest(const fs::path& file, const Manifest& m) {
    const fs::path tmp = file.string() + ".tmp";
    {
        std::ofstream out(tmp, std::ios::trunc);
        char hex[17];
        for (const auto& [rel, h] : m) {
            std::snprintf(hex, sizeof hex, "%016llx", h);
            out << hex << "  " << rel << '\n';
        }
        if (!out.flush()) return false;
    }
    std::error_code ec;
    fs::rename(tmp, file, ec);
    return !ec;
}

bool copy_seed(const fs::path& from, const fs::path& to, std::error_code& ec) {
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    // The installed files are read-only; the user's copies must be editable.
    if (!ec)
        fs::permissions(to, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add,
                        ec);
    return !ec;
}

}  // namespace

bool seed_directory(const fs::path& from, const fs::path& to, std::string* error,
                    std::vector<std::string>* notes) {
    std::error_code ec;
    fs::create_directories(to, ec);
    if (ec) {
        if (error) *error = "cannot create " + to.string() + ": " + ec.message();
        return false;
    }
    const fs::path manifest_file = to / kSeedManifest;
    const Manifest old = read_manifest(manifest_file);
    Manifest now = old;
    fs::recursive_directory_iterator it(from, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const fs::path rel = fs::relative(it->path(), from, ec);
        if (ec) break;
        const fs::path target = to / rel;
        if (it->is_directory(ec)) {
            fs::create_directories(target, ec);
        } else if (!ec) {
            const std::string key = rel.generic_string();
            unsigned long long installed = 0, mine = 0;
            if (!content_hash(it->path(), &installed)) {
                ec = std::make_error_code(std::errc::io_error);
            } else if (!fs::exists(target, ec)) {
                if (!ec && copy_seed(it->path(), target, ec)) now[key] = installed;
            } else if (content_hash(target, &mine) && mine != installed) {
                const auto seen = old.find(key);
                if (seen != old.end() && seen->second == mine) {
                    // Seeded and untouched since: the installed version is newer.
                    if (copy_seed(it->path(), target, ec)) {
                        now[key] = installed;
                        if (notes) notes->push_back("updated " + key + " from " + from.string());
                    }
                } else if (seen == old.end() || seen->second != installed) {
                    now[key] = installed;
                    if (notes)
                        notes->push_back("keeping your changed " + target.string() +
                                         "; the installed one differs: " + it->path().string());
                }
            } else {
                now[key] = installed;
            }
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
    if (now != old && !write_manifest(manifest_file, now)) {
        if (error) *error = "cannot write " + manifest_file.string();
        return false;
    }
    return true;
}

fs::path choose_working_directory(const fs::path& cwd, const fs::path& installed,
                                  const fs::path& user, std::string* error, std::string* reason,
                                  std::vector<std::string>* notes) {
    std::error_code ec;
    const bool is_installed = fs::equivalent(cwd, installed, ec) && !ec;
    const bool writable = ::access(cwd.c_str(), W_OK) == 0;
    const bool has_data = has_data_folders(cwd);
    if (!is_installed && writable && has_data) return cwd;
    if (!has_data_folders(installed)) return cwd;  // nothing to seed from: as before
    const std::string why = is_installed ? cwd.string() + " is the installed data folder"
                            : !has_data  ? "no benchmark data in " + cwd.string()
                                         : cwd.string() + " is not writable";
    if (reason) *reason = why;
    if (user.empty()) {
        if (error)
            *error = "cannot find a working folder: " + why +
                     ", and neither XDG_DATA_HOME nor HOME is set for a per-user one";
        return {};
    }
    if (!seed_directory(installed, user, error, notes)) return {};
    return user;
}

WorkingDirectoryNote enter_working_directory() {
    WorkingDirectoryNote note;
    std::error_code ec;
    const fs::path cwd = fs::current_path(ec);
    if (ec) return note;
    std::string error, reason;
    const fs::path dir = choose_working_directory(
        cwd, installed_data_directory(), user_data_directory(), &error, &reason, &note.lines);
    if (dir.empty()) {
        note.ok = false;
        note.lines.push_back(error);
        return note;
    }
    if (dir == cwd) return note;
    fs::current_path(dir, ec);
    if (ec) {
        note.ok = false;
        note.lines.push_back("cannot enter " + dir.string() + ": " + ec.message());
        return note;
    }
    note.lines.insert(note.lines.begin(), "working in " + dir.string() + " (" + reason + ")");
    return note;
}

}  // namespace app
