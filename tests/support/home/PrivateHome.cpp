// Every test program runs in a home of its own, set up before main() and so before the first Qt
// call. A developer who runs a test program by hand keeps their settings, keyring and files, and
// every program a test starts (zorvane, zorvane-cards, zorvane-stress) inherits the same home.
// Linked into each test program as an object file, so no test can forget it.

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr char homePrefix[] = "zorvane-test-";

// A test program that timed out was aborted before it could remove its home; the next one does.
void removeAbandonedHomes(const fs::path &base)
{
    std::error_code error;
    for (const fs::directory_entry &entry : fs::directory_iterator(base, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(homePrefix, 0) != 0)
            continue;
        const long owner = std::strtol(name.c_str() + std::strlen(homePrefix), nullptr, 10);
        if (owner > 0 && ::kill(pid_t(owner), 0) != 0 && errno == ESRCH)
            fs::remove_all(entry.path(), error);
    }
}

fs::path makeFolder(const fs::path &folder)
{
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
        std::abort();
    return folder;
}

void set(const char *name, const fs::path &value)
{
    ::setenv(name, value.c_str(), 1);
}

class PrivateHome
{
public:
    PrivateHome()
        : m_owner(::getpid())
    {
        const char *tmpdir = std::getenv("TMPDIR");
        const fs::path base = tmpdir && *tmpdir ? fs::path(tmpdir) : fs::path("/tmp");
        removeAbandonedHomes(base);
        // mkdtemp fills in the six trailing letters.
        std::string pattern
            = (base / (homePrefix + std::to_string(m_owner) + "-" + std::string(6, 'X'))).string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        m_folder = pattern;
        // Others may pass through, not look: a test that runs the program as another user (the
        // superuser's install test runs it as nobody) hands it a folder in here.
        const auto passThrough
            = fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec;
        fs::permissions(m_folder, passThrough);

        const fs::path home = makeFolder(m_folder / "home");
        set("HOME", home);
        set("XDG_CONFIG_HOME", makeFolder(home / ".config"));
        set("XDG_DATA_HOME", makeFolder(home / ".local/share"));
        set("XDG_STATE_HOME", makeFolder(home / ".local/state"));
        set("XDG_CACHE_HOME", makeFolder(home / ".cache"));
        const fs::path runtime = makeFolder(m_folder / "runtime");
        fs::permissions(runtime, fs::perms::owner_all);
        set("XDG_RUNTIME_DIR", runtime);
        // Temporary folders (data files, a server's storage) go with the home.
        const fs::path tmp = makeFolder(m_folder / "tmp");
        fs::permissions(tmp, passThrough);
        set("TMPDIR", tmp);
        // A session bus where nothing listens: the desktop's secret store, and anything else on
        // the developer's bus, is out of reach. A test that needs one starts its own.
        ::setenv("DBUS_SESSION_BUS_ADDRESS",
                 ("unix:path=" + (m_folder / "no-session-bus").string()).c_str(), 1);
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        // Run by hand as under ctest: windows offscreen, one time zone, one locale.
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("TZ", "UTC", 1);
        ::setenv("LC_ALL", "C.UTF-8", 1);
    }

    // Only the test program itself clears up, never a child forked from it.
    ~PrivateHome()
    {
        if (::getpid() != m_owner)
            return;
        std::error_code error;
        fs::remove_all(m_folder, error);
    }

    PrivateHome(const PrivateHome &) = delete;
    PrivateHome &operator=(const PrivateHome &) = delete;

private:
    pid_t m_owner;
    fs::path m_folder;
};

// Before any other static object of the test program, so before anything asks where home is.
__attribute__((init_priority(101))) PrivateHome privateHome;

} // namespace
