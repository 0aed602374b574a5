// Test helpers for the expression and index code: an in-memory table that
// is both a RecordSource and the RecordView of its records, a temporary
// folder, and file helpers.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/expression.h"
#include "engine/record_source.h"
#include "engine/record_view.h"

namespace engine::test {

class MemTable;

// One record of a MemTable (or, with recno 0, a blank record for schemas).
class MemRecord : public RecordView {
public:
    MemRecord(const MemTable* table, uint32_t recno) : table_(table), recno_(recno) {}
    int fieldCount() const override;
    const FieldDesc& field(int i) const override;
    int findField(std::string_view name) const override;
    std::string text(int i) const override;
    double number(int i) const override;
    int32_t julianDay(int i) const override;
    bool logical(int i) const override;
    bool isNull(int i) const override;
    bool deleted() const override;
    uint32_t recordNumber() const override { return recno_; }
    void setRecno(uint32_t r) { recno_ = r; }

private:
    const std::string& raw(int i) const;
    const MemTable* table_;
    uint32_t recno_;
};

// Fields are given as "NAME,TYPE,LEN[,DEC]"; values as the DBF's texts
// (C as is, N digits, D "YYYYMMDD", L "T"/"F", I digits; "\x01NULL" = NULL).
class MemTable : public RecordSource {
public:
    MemTable(std::vector<std::string> fieldDefs, std::string alias = "T");
    uint32_t append(std::vector<std::string> values);
    void set(uint32_t recno, int field, std::string value);
    void setDeleted(uint32_t recno, bool deleted);
    // Removes deleted records (record numbers close up, as a pack does).
    void pack();
    void zap() {
        rows_.clear();
        deleted_.clear();
    }
    MemRecord& record(uint32_t recno);  // the view, moved to recno
    const MemRecord& schema() const { return blank_; }

    uint32_t recordCount() const override { return static_cast<uint32_t>(rows_.size()); }
    Status readRecord(uint32_t recordNumber, const RecordView** view) override;

    std::vector<FieldDesc> fields;
    std::string alias;
    std::vector<std::vector<std::string>> rows_;
    std::vector<bool> deleted_;

private:
    MemRecord blank_;
    MemRecord cursor_;
};

// A fresh empty folder under the system temp folder, removed on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

std::string readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::string& bytes);
std::string toHex(std::string_view bytes);

// The compiled expression, or nullptr with the failure's message in *error.
std::unique_ptr<Expression> compiled(std::string_view source, const RecordView& schema,
                                     std::string* error = nullptr);

}  // namespace engine::test
