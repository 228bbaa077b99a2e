#pragma once

#include <QString>
#include <optional>

// One plug-in library, loaded for the length of one sequence (identify, list,
// About, run) and unloaded when the object goes. Move-only; UI thread only.
class PluginLibrary
{
public:
    // Loads the library at a full path; nothing when the file is not a library
    // this process can load (text, truncated, another machine's), so callers
    // pass it over without a message.
    static std::optional<PluginLibrary> load(const QString& path);

    PluginLibrary(PluginLibrary&& other) noexcept;
    PluginLibrary& operator=(PluginLibrary&& other) noexcept;
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;
    ~PluginLibrary();

    // The entry point exported under exactly this name, or null when the
    // library does not export it.
    template<typename Entry> Entry entry(const char* name) const
    {
        return reinterpret_cast<Entry>(symbol(name));
    }

private:
    explicit PluginLibrary(void* handle) noexcept
        : m_handle(handle)
    { }
    void* symbol(const char* name) const;
    void unload() noexcept;

    void* m_handle = nullptr;
};
