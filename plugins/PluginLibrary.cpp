#include "PluginLibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#if defined(__ELF__)
#include <cstring>
#include <elf.h>
#include <type_traits>
#endif

namespace {

#if defined(__ELF__)

// The dynamic loader maps every loadable segment straight from the file and
// trusts the program headers, so a truncated copy (a plug-in still being
// copied in, a broken download) maps pages past the end of the file and the
// first touch kills the process with SIGBUS. Refuse such a file before the
// loader sees it. Anything else that is wrong (foreign machine, bad header)
// the loader refuses on its own.
bool imageIsComplete(const QString& path)
{
    using Header = std::conditional_t<sizeof(void*) == 8, Elf64_Ehdr, Elf32_Ehdr>;
    using Segment = std::conditional_t<sizeof(void*) == 8, Elf64_Phdr, Elf32_Phdr>;
    constexpr unsigned char nativeClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const quint64 size = quint64(file.size());

    Header header;
    if (file.read(reinterpret_cast<char*>(&header), sizeof header) != qint64(sizeof header))
        return false;
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != nativeClass)
        return false;
    if (header.e_phentsize != sizeof(Segment) || header.e_phoff > size
        || quint64(header.e_phnum) * sizeof(Segment) > size - header.e_phoff)
        return false;
    if (!file.seek(qint64(header.e_phoff)))
        return false;
    for (int i = 0; i < header.e_phnum; ++i) {
        Segment segment;
        if (file.read(reinterpret_cast<char*>(&segment), sizeof segment) != qint64(sizeof segment))
            return false;
        if (segment.p_type == PT_LOAD
            && (segment.p_offset > size || segment.p_filesz > size - segment.p_offset))
            return false;
    }
    return true;
}

#else

bool imageIsComplete(const QString&)
{
    return true;
}

#endif

} // namespace

std::optional<PluginLibrary> PluginLibrary::load(const QString& path)
{
    // A bare file name would make the loader search the system's library
    // folders; a plug-in is only ever the file at this path.
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    if (!QFileInfo(fullPath).isFile() || !imageIsComplete(fullPath))
        return std::nullopt;
#if defined(_WIN32)
    // No "bad image" or "missing file" boxes from the system: a file that
    // does not load is passed over without a message.
    DWORD previousMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    const std::wstring nativePath = QDir::toNativeSeparators(fullPath).toStdWString();
    void* handle = LoadLibraryExW(nativePath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    SetThreadErrorMode(previousMode, nullptr);
#else
    // Resolve everything now, so a plug-in with a missing dependency fails
    // here rather than in the middle of a call.
    void* handle = dlopen(QFile::encodeName(fullPath).constData(), RTLD_NOW | RTLD_LOCAL);
#endif
    if (!handle)
        return std::nullopt;
    return PluginLibrary(handle);
}

PluginLibrary::PluginLibrary(PluginLibrary&& other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr))
{ }

PluginLibrary& PluginLibrary::operator=(PluginLibrary&& other) noexcept
{
    if (this != &other) {
        unload();
        m_handle = std::exchange(other.m_handle, nullptr);
    }
    return *this;
}

PluginLibrary::~PluginLibrary()
{
    unload();
}

void* PluginLibrary::symbol(const char* name) const
{
    if (!m_handle)
        return nullptr;
#if defined(_WIN32)
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(m_handle), name));
#else
    return dlsym(m_handle, name);
#endif
}

void PluginLibrary::unload() noexcept
{
    if (!m_handle)
        return;
#if defined(_WIN32)
    FreeLibrary(static_cast<HMODULE>(m_handle));
#else
    dlclose(m_handle);
#endif
    m_handle = nullptr;
}
