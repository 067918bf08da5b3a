#include "msipackage/TransformReader.h"

#include "msipackage/CodePage.h"
#include "msipackage/CompoundFile.h"
#include "msipackage/CompoundFileFormat.h"
#include "msipackage/MsiStreamName.h"
#include "msipackage/StringPool.h"
#include "msipackage/SummaryInformation.h"
#include "msipackage/TransformFormat.h"

#include <optional>
#include <vector>

namespace msitransform {

using namespace transform;

namespace {

Failure TableError(const std::string& table, const std::string& what)
{
    return Failure{"transform of table " + table + ": " + what};
}

Outcome<TransformSummary> ReadSummary(const CompoundFile& file)
{
    auto stream = file.ReadStream(SummaryInformation::StreamName());
    if (!stream) {
        return Failure{"transform without summary information"};
    }
    auto info = SummaryInformation::Parse(stream.Value());
    if (!info) {
        return info.TakeFailure();
    }
    TransformSummary summary;
    auto text = [&](SummaryProperty id) {
        const std::string* value = info.Value().String(id);
        return value != nullptr ? *value : std::string();
    };
    summary.templateText = text(SummaryProperty::Template);
    summary.lastAuthor = text(SummaryProperty::LastAuthor);
    summary.revisionNumber = text(SummaryProperty::RevisionNumber);
    const auto flags =
        static_cast<std::uint32_t>(info.Value().Int(SummaryProperty::CharCount).value_or(0));
    summary.ignoredErrors = flags & 0xFFFF;
    summary.validation = flags >> 16;
    return summary;
}

// The transform must be for this package where its validation flags say so.
Status Validate(const MsiDatabase& database, const TransformSummary& summary)
{
    const std::string& revision = summary.revisionNumber;
    const std::size_t lastSemicolon = revision.rfind(';');
    const std::string productCode = revision.substr(0, std::min<std::size_t>(38, revision.size()));
    const std::string upgradeCode =
        lastSemicolon == std::string::npos ? std::string() : revision.substr(lastSemicolon + 1);
    const std::size_t semicolon = summary.templateText.find(';');
    const std::string language =
        semicolon == std::string::npos ? std::string() : summary.templateText.substr(semicolon + 1);
    if ((summary.validation & kValidateProduct) != 0 &&
        database.Property("ProductCode").value_or("") != productCode) {
        return Failure{"the transform is for another product"};
    }
    if ((summary.validation & kValidateUpgradeCode) != 0 &&
        database.Property("UpgradeCode").value_or("") != upgradeCode) {
        return Failure{"the transform is for another upgrade code"};
    }
    if ((summary.validation & kValidateLanguage) != 0 && !language.empty() &&
        database.Property("ProductLanguage").value_or("") != language) {
        return Failure{"the transform is for another language"};
    }
    return Success();
}

std::size_t StoredBytes(const MsiColumn& column, std::size_t referenceBytes)
{
    return column.kind == ColumnKind::Integer ? static_cast<std::size_t>(column.width)
                                              : referenceBytes;
}

// Reads the columns `present` of one row from `raw`; nothing when a string number is not in
// the pool or a binary column is written.
Outcome<MsiRow> DecodeRow(const MsiTable& table, const std::vector<bool>& present,
                          std::string_view raw, const StringPool& pool)
{
    MsiRow row(table.Columns().size());
    std::size_t at = 0;
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (!present[i]) {
            continue;
        }
        const MsiColumn& column = table.Columns()[i];
        if (column.kind == ColumnKind::Stream) {
            return TableError(table.Name(), "binary columns are not supported");
        }
        const std::size_t bytes = StoredBytes(column, pool.BytesPerReference());
        std::uint32_t stored = 0;
        for (std::size_t b = 0; b < bytes; ++b) {
            stored |= static_cast<std::uint32_t>(static_cast<unsigned char>(raw[at + b]))
                      << (8 * b);
        }
        at += bytes;
        if (column.kind == ColumnKind::String) {
            const std::string* text = pool.Text(stored);
            if (text == nullptr) {
                return TableError(table.Name(), "a string number outside the pool");
            }
            row[i] = MsiValue::Str(*text);
        } else if (stored != 0) {
            row[i] =
                MsiValue::Int(column.width == 2 ? static_cast<std::int32_t>(stored) - 0x8000
                                                : static_cast<std::int32_t>(stored ^ 0x80000000U));
        }
    }
    return row;
}

Status ApplyRow(MsiTable& table, std::uint16_t mask, const std::vector<bool>& present, MsiRow row,
                std::uint32_t ignored)
{
    const std::optional<std::size_t> existing = table.FindRow(row);
    if (mask == 0) {
        if (existing) {
            table.DeleteRow(*existing);
        } else if ((ignored & kIgnoreDeleteMissingRow) == 0) {
            return TableError(table.Name(), "deletes a row that is not there");
        }
    } else if ((mask & kFullRow) != 0) {
        if (!existing) {
            table.InsertRow(std::move(row));
        } else if ((ignored & kIgnoreAddExistingRow) == 0) {
            return TableError(table.Name(), "adds a row that is there already");
        } else {
            for (std::size_t i = table.KeyCount(); i < row.size(); ++i) {
                table.SetCell(*existing, i, std::move(row[i]));
            }
        }
    } else if (existing) {
        for (std::size_t i = table.KeyCount(); i < row.size(); ++i) {
            if (present[i]) {
                table.SetCell(*existing, i, std::move(row[i]));
            }
        }
    } else if ((ignored & kIgnoreUpdateMissingRow) == 0) {
        return TableError(table.Name(), "updates a row that is not there");
    }
    return Success();
}

Status ApplyTable(MsiTable& table, std::string_view data, const StringPool& pool,
                  std::uint32_t ignored)
{
    const std::vector<MsiColumn>& columns = table.Columns();
    for (std::size_t at = 0; at < data.size();) {
        if (data.size() - at < 2) {
            return TableError(table.Name(), "a row cut short");
        }
        const std::uint16_t mask = cfb::Read16(data, at);
        at += 2;
        std::vector<bool> present(columns.size(), false);
        if ((mask & kFullRow) != 0) {
            const std::size_t count = mask >> 8;
            if (count > columns.size() || count < table.KeyCount()) {
                return TableError(table.Name(), "a row with the wrong number of columns");
            }
            std::fill_n(present.begin(), count, true);
        } else {
            if (columns.size() < kMaxMaskedColumns && (mask >> columns.size()) != 0) {
                return TableError(table.Name(), "a row mask names columns the table lacks");
            }
            for (std::size_t i = 0; i < columns.size(); ++i) {
                present[i] = columns[i].key || (i < kMaxMaskedColumns && ((mask >> i) & 1) != 0);
            }
        }
        std::size_t size = 0;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            size += present[i] ? StoredBytes(columns[i], pool.BytesPerReference()) : 0;
        }
        if (data.size() - at < size) {
            return TableError(table.Name(), "a row cut short");
        }
        auto row = DecodeRow(table, present, data.substr(at, size), pool);
        at += size;
        if (!row) {
            return row.TakeFailure();
        }
        for (std::size_t i = 0; i < table.KeyCount(); ++i) {
            if (row.Value()[i].IsNull()) {
                return TableError(table.Name(), "a row without its key");
            }
        }
        Status applied = ApplyRow(table, mask, present, row.Take(), ignored);
        if (!applied) {
            return applied;
        }
    }
    return Success();
}

} // namespace

Outcome<TransformSummary> ApplyTransform(MsiDatabase& database, std::string_view transform)
{
    auto file = CompoundFile::Parse(std::string(transform));
    if (!file) {
        return file.TakeFailure();
    }
    if (file.Value().RootClassId() != kClassId) {
        return Failure{"not a transform"};
    }
    auto summary = ReadSummary(file.Value());
    if (!summary) {
        return summary;
    }
    Status valid = Validate(database, summary.Value());
    if (!valid) {
        return valid.TakeFailure();
    }
    auto poolStream = file.Value().ReadStream(EncodeTableStreamName("_StringPool"));
    auto dataStream = file.Value().ReadStream(EncodeTableStreamName("_StringData"));
    if (!poolStream || !dataStream) {
        return Failure{"transform without a string pool"};
    }
    auto pool = StringPool::Parse(poolStream.Value(), dataStream.Value());
    if (!pool) {
        return pool.TakeFailure();
    }
    if (!IsKnownCodePage(pool.Value().CodePage())) {
        return Failure{"transform in unknown code page " + std::to_string(pool.Value().CodePage())};
    }
    TransformSummary& result = summary.Value();
    result.codePage = pool.Value().CodePage();
    const int current = database.CodePage();
    if (current != 0 && result.codePage != 0 && current != result.codePage &&
        (result.ignoredErrors & kIgnoreChangeCodePage) == 0) {
        return Failure{"the transform would change the code page"};
    }

    MsiDatabase changed = database;
    for (const std::u16string& name : file.Value().StreamNames()) {
        const std::optional<std::string> table = DecodeTableStreamName(name);
        if (!table || *table == "_StringPool" || *table == "_StringData") {
            continue;
        }
        MsiTable* target = changed.FindTable(*table);
        if (target == nullptr) {
            return TableError(*table,
                              "no such table (transforms that add tables are not supported)");
        }
        auto data = file.Value().ReadStream(name);
        if (!data) {
            return data.TakeFailure();
        }
        Status applied = ApplyTable(*target, data.Value(), pool.Value(), result.ignoredErrors);
        if (!applied) {
            return applied.TakeFailure();
        }
    }
    if (result.codePage != 0) {
        changed.SetCodePage(result.codePage);
    }
    database = std::move(changed);
    return summary;
}

} // namespace msitransform
