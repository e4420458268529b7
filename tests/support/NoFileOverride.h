#pragma once
// Root's powers over file permissions, given up so that a test sees the files as a player's
// program does (CI runs as root). Capabilities belong to a thread, so the rest of the
// tests keep theirs.

#include <functional>
#include <thread>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace NoFileOverride {

// Overriding read, write and search permissions.
constexpr unsigned Powers = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);

} // namespace NoFileOverride

// While it lives, the calling thread cannot override file permissions; its powers come
// back at the end. Only the effective set goes, which is enough for opening, creating
// and renaming files, but not for access(): for root that checks the permitted set.
class TNoFileOverrideHere
{
public:
    TNoFileOverrideHere()
    {
        if (::geteuid() != 0) {
            FReady = true;
            return;
        }
        if (::syscall(SYS_capget, &FHeader, FSaved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {FSaved[0], FSaved[1]};
        reduced[0].effective &= ~NoFileOverride::Powers;
        FDropped = ::syscall(SYS_capset, &FHeader, reduced) == 0;
        FReady = FDropped;
    }
    ~TNoFileOverrideHere()
    {
        if (FDropped)
            ::syscall(SYS_capset, &FHeader, FSaved);
    }
    TNoFileOverrideHere(const TNoFileOverrideHere&) = delete;
    TNoFileOverrideHere& operator=(const TNoFileOverrideHere&) = delete;
    // False when root could not give the powers up.
    bool Ready() const { return FReady; }

private:
    __user_cap_header_struct FHeader{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct FSaved[2]{};
    bool FDropped = false;
    bool FReady = false;
};

// Runs Work on a thread of its own that has given the powers up for good, from the
// permitted set too, so that access() answers as for a player. False when the thread
// could not give them up (Work did not run). Work must not touch widgets.
inline bool RunWithoutFileOverride(const std::function<void()>& Work)
{
    bool ran = false;
    std::thread worker([&] {
        if (::geteuid() == 0) {
            __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
            __user_cap_data_struct caps[2]{};
            if (::syscall(SYS_capget, &header, caps) != 0)
                return;
            for (auto* set : {&caps[0].effective, &caps[0].permitted, &caps[0].inheritable})
                *set &= ~NoFileOverride::Powers;
            if (::syscall(SYS_capset, &header, caps) != 0)
                return;
        }
        Work();
        ran = true;
    });
    worker.join();
    return ran;
}
