// A small tmpfs mounted on a folder of the test's own, to fill a disk or to get
// a second file system. Needs the right to mount; Mounted() says whether it worked.
#pragma once

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

class SmallDisk {
public:
    SmallDisk(const std::string& folder, unsigned long kibibytes) : m_folder(folder) {
        ::mkdir(folder.c_str(), 0755);
        const std::string options = "size=" + std::to_string(kibibytes) + "k,mode=0755";
        m_mounted = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallDisk() {
        if (m_mounted) ::umount2(m_folder.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Mounted() const { return m_mounted; }
    const std::string& Folder() const { return m_folder; }

private:
    std::string m_folder;
    bool m_mounted = false;
};
