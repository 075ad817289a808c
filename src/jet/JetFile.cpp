#include "jet/JetFile.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <memory>

// glib's types first: libmdb's header uses them without including it.
#include <glib.h>

#include <mdbtools.h>

namespace {

constexpr qint64 kJetPageSize = 4096;

MdbHandle* Handle(void* p) {
    return static_cast<MdbHandle*>(p);
}

struct TTableDeleter {
    void operator()(MdbTableDef* t) const { mdb_free_tabledef(t); }
};
using TTablePtr = std::unique_ptr<MdbTableDef, TTableDeleter>;

bool KindFits(TJetKind kind, int type) {
    switch (kind) {
    case TJetKind::Integer:
        return type == MDB_BYTE || type == MDB_INT || type == MDB_LONGINT;
    case TJetKind::Text:
        return type == MDB_TEXT || type == MDB_MEMO;
    case TJetKind::Day:
        return type == MDB_DATETIME || type == MDB_DOUBLE;
    }
    return false;
}

TJetCell ReadCell(MdbHandle* mdb, const MdbColumn* col, const TJetColumn& want) {
    const int start = col->cur_value_start;
    const int len = col->cur_value_len;
    if (len == 0) {
        // NULL, or for a text also the empty text: libmdb does not tell them apart.
        return want.kind == TJetKind::Text && want.empty == TEmptyText::Empty
                   ? TJetCell(std::string())
                   : TJetCell();
    }
    switch (col->col_type) {
    case MDB_BYTE:
        return std::int64_t{mdb_get_byte(mdb->pg_buf, start)};
    case MDB_INT:
        return std::int64_t{mdb_get_int16(mdb->pg_buf, start)};
    case MDB_LONGINT:
        // The stored 32 bits are signed (colours have the top bit set).
        return std::int64_t{static_cast<std::int32_t>(mdb_get_int32(mdb->pg_buf, start))};
    case MDB_DATETIME:
    case MDB_DOUBLE:
        return mdb_get_double(mdb->pg_buf, start);
    default: {
        // Texts: Jet 4 keeps UCS-2 (or its compressed form); libmdb hands out UTF-8.
        char* text = mdb_col_to_string(mdb, mdb->pg_buf, start, col->col_type, len);
        std::string s = text != nullptr ? std::string(text) : std::string();
        g_free(text);
        if (s.empty() && want.empty == TEmptyText::Null) {
            return {};
        }
        return s;
    }
    }
}

} // namespace

TFileKind SniffFileKind(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return TFileKind::Other;
    }
    const QByteArray head = f.read(0x20);
    if (head.startsWith(QByteArray("SQLite format 3\0", 16))) {
        return TFileKind::SQLite;
    }
    // Page 0 of a Jet file: a four-byte magic, the engine's name, then its version at 0x14.
    static const char kMagic[] = {0x00, 0x01, 0x00, 0x00};
    if (head.size() < 0x15 || std::memcmp(head.constData(), kMagic, 4) != 0) {
        return TFileKind::Other;
    }
    const QByteArray engine = head.mid(4, 15);
    if (engine == "Standard ACE DB") {
        return TFileKind::OtherJet;
    }
    if (engine != "Standard Jet DB") {
        return TFileKind::Other;
    }
    return head.at(0x14) == MDB_VER_JET4 ? TFileKind::Jet4 : TFileKind::OtherJet;
}

TJetFile::~TJetFile() {
    if (mdb_ != nullptr) {
        mdb_close(Handle(mdb_));
    }
}

bool TJetFile::Open(const QString& path, QString* error) {
    switch (SniffFileKind(path)) {
    case TFileKind::Jet4:
        break;
    case TFileKind::OtherJet:
        *error = QStringLiteral("%1 is an Access database of another version than Access "
                                "2000-2003 (Jet 4); save it in that format first")
                     .arg(path);
        return false;
    case TFileKind::SQLite:
        *error = QStringLiteral("%1 is an SQLite database already; there is nothing to import")
                     .arg(path);
        return false;
    case TFileKind::Other:
        *error = QStringLiteral("%1 is not an Access (Jet 4) database").arg(path);
        return false;
    }
    // A Jet 4 file is whole pages; anything else was cut short or appended to.
    const qint64 size = QFileInfo(path).size();
    if (size < 2 * kJetPageSize || size % kJetPageSize != 0) {
        *error = QStringLiteral("%1 is damaged: it is not a whole number of pages (truncated?)")
                     .arg(path);
        return false;
    }
    // libmdb converts texts to the charset this variable names (UTF-8 without it); the
    // database takes UTF-8 whatever the environment says.
    qunsetenv("MDBICONV");
    const QByteArray name = QFile::encodeName(path);
    MdbHandle* mdb = mdb_open(name.constData(), MDB_NOFLAGS);
    if (mdb == nullptr) {
        *error = QStringLiteral("%1 cannot be opened as an Access database").arg(path);
        return false;
    }
    mdb_ = mdb;
    GPtrArray* catalog = mdb_read_catalog(mdb, MDB_TABLE);
    if (catalog == nullptr) {
        *error = QStringLiteral("%1 is damaged: its table catalogue cannot be read").arg(path);
        return false;
    }
    for (guint i = 0; i < mdb->num_catalog; ++i) {
        const auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        const QString n = QString::fromUtf8(entry->object_name);
        // System tables (MSys...) carry the catalogue itself, not data.
        if (entry->object_type == MDB_TABLE && !n.startsWith(QLatin1String("MSys"))) {
            tables_ << n;
        }
    }
    return true;
}

QString TJetFile::CatalogName(const QString& table) const {
    for (const QString& t : tables_) {
        if (t.compare(table, Qt::CaseInsensitive) == 0) {
            return t;
        }
    }
    return QString();
}

std::int64_t TJetFile::RowCount(const QString& table) {
    const QString name = CatalogName(table);
    if (mdb_ == nullptr || name.isEmpty()) {
        return -1;
    }
    QByteArray utf8 = name.toUtf8();
    TTablePtr def(mdb_read_table_by_name(Handle(mdb_), utf8.data(), MDB_TABLE));
    return def ? std::int64_t{def->num_rows} : -1;
}

bool TJetFile::ReadTable(const QString& table, const std::vector<TJetColumn>& columns,
                         const std::function<bool(const TJetRow&)>& row, QString* error) {
    const QString name = CatalogName(table);
    if (mdb_ == nullptr || name.isEmpty()) {
        *error = QStringLiteral("it has no table %1").arg(table);
        return false;
    }
    MdbHandle* mdb = Handle(mdb_);
    QByteArray utf8 = name.toUtf8();
    TTablePtr def(mdb_read_table_by_name(mdb, utf8.data(), MDB_TABLE));
    if (!def || mdb_read_columns(def.get()) == nullptr) {
        *error = QStringLiteral("its table %1 cannot be read (damaged)").arg(table);
        return false;
    }
    std::vector<const MdbColumn*> cols;
    for (const TJetColumn& want : columns) {
        const MdbColumn* found = nullptr;
        for (guint i = 0; i < def->num_cols; ++i) {
            const auto* c = static_cast<const MdbColumn*>(g_ptr_array_index(def->columns, i));
            if (QString::fromUtf8(c->name).compare(QLatin1String(want.name), Qt::CaseInsensitive) ==
                0) {
                found = c;
            }
        }
        if (found == nullptr) {
            *error = QStringLiteral("its table %1 has no column %2")
                         .arg(table, QLatin1String(want.name));
            return false;
        }
        if (!KindFits(want.kind, found->col_type)) {
            *error = QStringLiteral("its column %1.%2 has a type (%3) that does not fit")
                         .arg(table, QLatin1String(want.name))
                         .arg(found->col_type);
            return false;
        }
        cols.push_back(found);
    }
    if (mdb_rewind_table(def.get()) != 0) {
        *error = QStringLiteral("its table %1 cannot be read (damaged)").arg(table);
        return false;
    }
    TJetRow cells(columns.size());
    std::int64_t read = 0;
    while (mdb_fetch_row(def.get()) != 0) {
        for (size_t i = 0; i < cols.size(); ++i) {
            cells[i] = ReadCell(mdb, cols[i], columns[i]);
        }
        ++read;
        if (!row(cells)) {
            return false;
        }
    }
    // A page that cannot be read ends the walk early: the definition still counts its rows.
    if (read != std::int64_t{def->num_rows}) {
        *error = QStringLiteral("its table %1 is damaged: %2 of %3 rows could be read")
                     .arg(table)
                     .arg(read)
                     .arg(def->num_rows);
        return false;
    }
    return true;
}
