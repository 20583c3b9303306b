// quillmark-access-reader: reads an Access (Jet/ACE) file with libmdb and
// sends what it finds to its caller on standard output, in the frames of
// AccessFrames. libmdb has had memory-safety faults on damaged files, so it
// runs here, in a process of its own that the program watches: a crash, a
// hang or nonsense from this process costs the program nothing.
//
//   quillmark-access-reader list FILE          the tables, their rows and columns
//   quillmark-access-reader rows FILE TABLE [N] the table's rows (N times over)
//
// The file is opened read-only and never changed.
#include "access/AccessFrames.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mdbtools.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

namespace
{

using namespace AccessFrames;

// Large enough for any memo Access lets a person type (65,535 characters,
// up to three bytes each); a longer value arrives cut, and marked so.
constexpr size_t BindSize = 256 * 1024;
// A Jet row takes more than this many bytes of its file; more rows than the
// file could hold means libmdb is going round in a damaged file.
constexpr long long BytesPerRowAtLeast = 4;

void send(const Writer &w)
{
    const QByteArray f = w.frame();
    if (std::fwrite(f.constData(), 1, size_t(f.size()), stdout) != size_t(f.size()))
        std::_Exit(3); // the program stopped listening
}

[[noreturn]] void fail(FailureCode code, const char *text)
{
    send(Writer(Kind::Failed).u32(quint32(code)).bytes(QByteArray(text)));
    std::fflush(stdout);
    std::_Exit(1);
}

// Keeps a damaged file from taking the machine with it: no core files, and
// an allocation gone wild fails here instead of swapping.
void limitSelf()
{
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
#if !defined(__SANITIZE_ADDRESS__)
    // Built with AddressSanitizer, the program's shadow memory alone
    // reserves terabytes of address space: any limit here would fail every
    // allocation, and the sanitizer bounds a runaway allocation itself.
    const rlim_t memory = rlim_t(2048) * 1024 * 1024;
    const rlimit as{memory, memory};
    setrlimit(RLIMIT_AS, &as);
#endif
}

const char *formatName(const MdbHandle *mdb)
{
    switch (mdb->f->jet_version) {
    case MDB_VER_JET3:
        return "Jet 3 (Access 97)";
    case MDB_VER_JET4:
        return "Jet 4 (Access 2000-2003)";
    default:
        return "ACE (Access 2007 or later)";
    }
}

void sendTable(const MdbTableDef *table)
{
    send(Writer(Kind::Table)
             .bytes(QByteArray(table->name))
             .u64(table->num_rows)
             .u32(table->num_cols));
    for (unsigned i = 0; i < table->num_cols; ++i) {
        const auto *col = static_cast<const MdbColumn *>(g_ptr_array_index(table->columns, i));
        send(Writer(Kind::Column)
                 .bytes(QByteArray(col->name))
                 .u32(quint32(col->col_type))
                 .u32(quint32(col->col_size)));
    }
}

int list(MdbHandle *mdb)
{
    if (!mdb_read_catalog(mdb, MDB_TABLE))
        fail(FailureCode::Damaged, "its list of tables cannot be read");
    quint64 tables = 0;
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type != MDB_TABLE || mdb_is_system_table(entry))
            continue;
        MdbTableDef *table = mdb_read_table(entry);
        if (!table || !mdb_read_columns(table))
            fail(FailureCode::Damaged, "a table's definition cannot be read");
        sendTable(table);
        mdb_free_tabledef(table);
        ++tables;
    }
    send(Writer(Kind::End).u64(tables));
    return 0;
}

bool isBinary(int type)
{
    return type == MDB_OLE || type == MDB_BINARY;
}

int rows(MdbHandle *mdb, const char *name, long long repeat, long long fileBytes)
{
    if (!mdb_read_catalog(mdb, MDB_TABLE))
        fail(FailureCode::Damaged, "its list of tables cannot be read");
    MdbTableDef *table = mdb_read_table_by_name(mdb, const_cast<gchar *>(name), MDB_TABLE);
    if (!table)
        fail(FailureCode::NoSuchTable, "the file has no such table");
    if (!mdb_read_columns(table))
        fail(FailureCode::Damaged, "the table's definition cannot be read");
    sendTable(table);

    const unsigned columns = table->num_cols;
    std::vector<std::vector<char>> values(columns, std::vector<char>(BindSize));
    std::vector<int> lengths(columns, 0);
    for (unsigned i = 0; i < columns; ++i)
        mdb_bind_column(table, int(i) + 1, values[i].data(), &lengths[i]);

    const long long most = fileBytes / BytesPerRowAtLeast * repeat;
    long long sent = 0;
    for (long long pass = 0; pass < repeat; ++pass) {
        mdb_rewind_table(table);
        while (mdb_fetch_row(table)) {
            if (++sent > most)
                fail(FailureCode::Damaged, "it gives more rows than it could hold");
            Writer row(Kind::Row);
            row.u32(columns);
            for (unsigned i = 0; i < columns; ++i) {
                const auto *col =
                    static_cast<const MdbColumn *>(g_ptr_array_index(table->columns, i));
                // libmdb gives an empty text and a missing value alike as
                // nothing; both stay empty, never a text of their own.
                const int length = lengths[i];
                if (length <= 0 || isBinary(col->col_type)) {
                    row.u8(quint8(ValueState::Null));
                    continue;
                }
                const size_t stored = strnlen(values[i].data(), BindSize);
                const bool cut = stored >= BindSize - 1 || stored > size_t(MaxValueBytes);
                row.u8(quint8(cut ? ValueState::Cut : ValueState::Value));
                row.bytes(values[i].data(), qsizetype(std::min(stored, size_t(MaxValueBytes))));
            }
            send(row);
        }
    }
    send(Writer(Kind::End).u64(quint64(sent)));
    mdb_free_tabledef(table);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    limitSelf();
    if (argc < 3 || (std::strcmp(argv[1], "list") != 0 && std::strcmp(argv[1], "rows") != 0) ||
        (std::strcmp(argv[1], "rows") == 0 && argc < 4))
        fail(FailureCode::Usage, "usage: list FILE | rows FILE TABLE [TIMES]");
    // Text always arrives as UTF-8, whatever the caller's environment says.
    unsetenv("MDB_ICONV");
    struct stat st {
    };
    if (stat(argv[2], &st) != 0 || !S_ISREG(st.st_mode))
        fail(FailureCode::NotAccess, "it is not a file that can be read");
    if (st.st_size == 0)
        fail(FailureCode::NotAccess, "it is empty");
    MdbHandle *mdb = mdb_open(argv[2], MDB_NOFLAGS); // read-only
    if (!mdb)
        fail(FailureCode::NotAccess, "it is not an Access database");
    // Forms the caller reads back whatever the locale.
    mdb_set_date_fmt(mdb, "%Y-%m-%d %H:%M:%S");
    mdb_set_shortdate_fmt(mdb, "%Y-%m-%d %H:%M:%S");
    mdb_set_boolean_fmt_numbers(mdb);
    mdb_set_bind_size(mdb, BindSize);
    send(Writer(Kind::Hello).u32(ProtocolVersion).bytes(QByteArray(formatName(mdb))));

    int status = 0;
    if (std::strcmp(argv[1], "list") == 0) {
        status = list(mdb);
    } else {
        const long long repeat = argc > 4 ? std::max(1LL, std::atoll(argv[4])) : 1;
        status = rows(mdb, argv[3], repeat, std::max<long long>(st.st_size, 4096));
    }
    std::fflush(stdout);
    mdb_close(mdb);
    return status;
}
