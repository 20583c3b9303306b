#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// Root writes through any permission bits. Without CAP_DAC_OVERRIDE in this
// thread's effective set it is held to them like anyone else, so that a
// read-only file or a folder without write permission is one for whoever
// runs the test (threads started while it lives inherit it).
class HeldToPermissions
{
  public:
    HeldToPermissions()
    {
        if (syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_changed = syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~HeldToPermissions()
    {
        if (m_changed)
            syscall(SYS_capset, &m_header, m_saved);
    }
    HeldToPermissions(const HeldToPermissions &) = delete;
    HeldToPermissions &operator=(const HeldToPermissions &) = delete;

  private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2] = {};
    bool m_changed = false;
};
