#include "PluginSequences.h"

#include "Messages.h"
#include "PluginLibrary.h"
#include "TesmoraPlugin.h"
#include "UserError.h"

#include <QByteArray>
#include <array>
#include <cstring>
#include <exception>
#include <utility>

namespace {

// A plug-in's text, copied by its own length; null reads as empty.
QString copyText(const char* text)
{
    if (!text)
        return {};
    return QString::fromUtf8(text, qsizetype(std::strlen(text)));
}

// Runs calls into a plug-in. An exception from a C++ plug-in can only be
// handled while its library is loaded (its type and destructor live there),
// so it is turned into text here and rethrown once the library has gone.
template<typename Calls> std::optional<QString> callIntoPlugin(Calls&& calls) noexcept
{
    try {
        calls();
        return std::nullopt;
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
        return QStringLiteral("Unknown error.");
    }
}

void rethrow(const std::optional<QString>& failure)
{
    if (failure)
        throw UserError(*failure);
}

enum class Target
{
    Data,
    Form,
    Grid1,
    Grid2,
    Grid3,
    KolData,
    Nil
};

struct TypeWord
{
    const char* word;
    Target target;
};

// In the order of comparison: the first equal word decides.
constexpr std::array<TypeWord, 7> typeWords { {
    { TESMORA_TYPE_DATA, Target::Data },
    { TESMORA_TYPE_FORM, Target::Form },
    { TESMORA_TYPE_GRID1, Target::Grid1 },
    { TESMORA_TYPE_GRID2, Target::Grid2 },
    { TESMORA_TYPE_GRID3, Target::Grid3 },
    { TESMORA_TYPE_KOLDATA, Target::KolData },
    { TESMORA_TYPE_NIL, Target::Nil },
} };

QWidget* widgetFor(Target target, const PluginArguments& arguments)
{
    switch (target) {
    case Target::Form:
        return arguments.form;
    case Target::Grid1:
        return arguments.grid1;
    case Target::Grid2:
        return arguments.grid2;
    case Target::Grid3:
        return arguments.grid3;
    default:
        return nullptr;
    }
}

} // namespace

std::optional<PluginIdentity> identifyPlugin(const QString& path, PluginVersionQuery version)
{
    std::optional<PluginIdentity> identity;
    std::optional<QString> failure;
    bool identified = true;
    {
        auto library = PluginLibrary::load(path);
        if (!library)
            return std::nullopt;
        const auto name = library->entry<TesmoraTextEntry>("PluginName");
        if (!name) {
            identified = false;
        } else {
            failure = callIntoPlugin([&] {
                PluginIdentity found;
                found.name = copyText(name());
                if (const auto descr = library->entry<TesmoraTextEntry>("PluginDescr"))
                    found.description = copyText(descr());
                if (version == PluginVersionQuery::Read) {
                    if (const auto versionText = library->entry<TesmoraTextEntry>("PluginVersion"))
                        found.version = copyText(versionText());
                }
                identity = std::move(found);
            });
        }
    }
    // Shown once the library has gone: a message box runs an event loop.
    if (!identified)
        messages().showMessage(QStringLiteral("dll is not identified."));
    rethrow(failure);
    return identity;
}

void invokePlugin(const QString& path, const PluginArguments& arguments)
{
    std::optional<QString> failure;
    {
        auto library = PluginLibrary::load(path);
        if (!library)
            return;
        const auto exec = library->entry<TesmoraExecEntry>("PluginExec");
        const auto kolExec = library->entry<TesmoraKolExecEntry>("PlugKolExec");
        const auto type = library->entry<TesmoraTextEntry>("PluginType");
        if (!type)
            return;

        // Both forms of the connection string, alive for the whole call.
        const QByteArray connectionString = arguments.connectionString.toUtf8();
        TesmoraConnection connection {};
        connection.size = sizeof connection;
        connection.connectionString = connectionString.constData();

        failure = callIntoPlugin([&] {
            for (const TypeWord& typeWord : typeWords) {
                // Asked afresh for every comparison, as the contract says.
                const char* word = type();
                if (!word || std::strcmp(word, typeWord.word) != 0)
                    continue;
                if (typeWord.target == Target::KolData) {
                    if (kolExec)
                        kolExec(connectionString.constData());
                } else if (exec) {
                    void* argument = typeWord.target == Target::Data ? static_cast<void*>(&connection)
                                                                     : widgetFor(typeWord.target, arguments);
                    // The plug-in reports its own failures; the result means
                    // nothing to the program.
                    static_cast<void>(exec(argument));
                }
                return;
            }
        });
    }
    rethrow(failure);
}

PluginAboutOutcome showPluginAbout(const QString& path, QWidget* optionsDialog)
{
    std::optional<QString> failure;
    {
        auto library = PluginLibrary::load(path);
        if (!library)
            return PluginAboutOutcome::NotLoaded;
        const auto about = library->entry<TesmoraAboutEntry>("PluginAbout");
        if (!about)
            return PluginAboutOutcome::ShowHostDialog;
        failure = callIntoPlugin([&] { about(optionsDialog); });
    }
    rethrow(failure);
    return PluginAboutOutcome::ShownByPlugin;
}
