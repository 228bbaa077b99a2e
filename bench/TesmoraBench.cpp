// Measures the store on a large generated database. Every figure is a median
// of repeated runs, printed beside a baseline that reads the same rows with
// plain SQLite calls, and the ratios close the output.
#include "BenchData.h"
#include "Connection.h"
#include "PaneBench.h"
#include "SortState.h"
#include "TdbTesmora.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int kContacts = 100000;

double medianMs(int runs, const std::function<void()>& work, const std::function<void()>& between = {})
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (between)
            between();
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct PlainRow
{
    sqlite3_int64 id;
    std::string a;
    std::string b;
};

// The baseline: a prepared statement stepped to the end, each column read.
class Baseline
{
public:
    explicit Baseline(const QString& path)
    {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READONLY, nullptr);
    }
    ~Baseline() { sqlite3_close(m_db); }

    std::vector<PlainRow> read(const char* sql, sqlite3_int64 parameter = -1)
    {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr);
        if (parameter >= 0)
            sqlite3_bind_int64(statement, 1, parameter);
        std::vector<PlainRow> rows;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            const auto text = [&](int c) {
                const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
                return p ? std::string(p, size_t(sqlite3_column_bytes(statement, c))) : std::string();
            };
            rows.push_back({ sqlite3_column_int64(statement, 0), text(1), text(2) });
        }
        sqlite3_finalize(statement);
        return rows;
    }

private:
    sqlite3* m_db = nullptr;
};

void print(const char* name, double value, const char* unit)
{
    std::printf("%s: %.3f %s\n", name, value, unit);
}

} // namespace

int main(int argc, char* argv[])
{
    // The panes are measured through real widgets, drawn off screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    QString path = args.size() > 1 ? args.at(1) : QString();
    if (path.isEmpty()) {
        const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
            + QStringLiteral("/orvanta-light");
        QDir().mkpath(cache);
        path = cache + QStringLiteral("/bench.sdb");
    }
    ensureBenchDatabase(path, kContacts);
    Baseline baseline(path);

    TdbTesmora module;
    module.connectTo(Connection::connectionStringFor(path));
    module.openDatasets(SortState());
    const SortState sort;
    const QString contactsSql = sort.contactsStatement();

    // Opening the contact list on all contacts.
    Dataset contacts(module.cnTesmora);
    contacts.setSql(contactsSql);
    const double openMs = medianMs(
        9, [&] { contacts.open(); }, [&] { contacts.close(); });
    const double openBaseMs = medianMs(9, [&] {
        baseline.read("SELECT Customers.IdClient, Customers.Phone, Customers.Client FROM Customers "
                      "ORDER BY Customers.Client;");
    });
    print("open_contacts", openMs, "ms");
    print("open_contacts_baseline", openBaseMs, "ms");

    // Moving the current contact: its fields and its call notes follow.
    const double moveMs = medianMs(201, [&] { module.taCustomers.next(); });
    sqlite3_int64 key = 1;
    const double moveBaseMs = medianMs(201, [&] {
        baseline.read("SELECT ClientParam.IdClient, ClientParam.Value, Parametrs.ParamDescr FROM Parametrs "
                      "INNER JOIN ClientParam ON Parametrs.ParamID = ClientParam.ParamID "
                      "WHERE ClientParam.IdClient = ? ORDER BY Parametrs.ParamDescr",
                      key);
        baseline.read("SELECT CallID, Date, CallDescr FROM CallHistory WHERE IdClient = ? ORDER BY Date DESC",
                      key);
        ++key;
    });
    print("move_contact", moveMs, "ms");
    print("move_contact_baseline", moveBaseMs, "ms");

    // A name filter of two letters on the held contacts.
    const double filterMs = medianMs(
        9,
        [&] {
            contacts.setFilter(QStringLiteral("Client LIKE '*AN*'"));
            contacts.setFiltered(true);
        },
        [&] { contacts.setFiltered(false); });
    const double filterBaseMs = medianMs(9, [&] {
        baseline.read("SELECT Customers.IdClient, Customers.Phone, Customers.Client FROM Customers "
                      "WHERE Customers.Client LIKE '%AN%' ORDER BY Customers.Client;");
    });
    print("filter_name", filterMs, "ms");
    print("filter_name_baseline", filterBaseMs, "ms");

    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    print("peak_memory", double(usage.ru_maxrss) / 1024.0, "MB");

    contacts.close();
    runPaneBench(path, print);

    print("ratio_open_contacts", openMs / openBaseMs, "x");
    print("ratio_move_contact", moveMs / moveBaseMs, "x");
    print("ratio_filter_name", filterMs / filterBaseMs, "x");
    return 0;
}
