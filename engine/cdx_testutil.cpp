// Test helpers for the expression and index code (see cdx_testutil.h).
#include "engine/cdx_testutil.h"

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "engine/expr_text.h"

namespace engine::test {

namespace {

const std::string kNull = "\x01NULL";

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

int MemRecord::fieldCount() const {
    return static_cast<int>(table_->fields.size());
}
const FieldDesc& MemRecord::field(int i) const {
    return table_->fields[static_cast<size_t>(i)];
}

int MemRecord::findField(std::string_view name) const {
    std::string n = upper(name);
    size_t arrow = n.find("->");
    if (arrow != std::string::npos) {
        if (n.substr(0, arrow) != upper(table_->alias)) return -1;
        n = n.substr(arrow + 2);
    }
    for (size_t i = 0; i < table_->fields.size(); ++i)
        if (table_->fields[i].name == n) return static_cast<int>(i);
    return -1;
}

const std::string& MemRecord::raw(int i) const {
    static const std::string empty;
    if (recno_ == 0 || recno_ > table_->rows_.size()) return empty;
    return table_->rows_[recno_ - 1][static_cast<size_t>(i)];
}

std::string MemRecord::text(int i) const {
    std::string s = raw(i) == kNull ? std::string() : raw(i);
    const FieldDesc& f = field(i);
    if (f.type == 'C') s.resize(f.length, ' ');
    return s;
}

double MemRecord::number(int i) const {
    return raw(i) == kNull ? 0 : std::atof(raw(i).c_str());
}
int32_t MemRecord::julianDay(int i) const {
    return dateFromDtos(raw(i));
}
bool MemRecord::logical(int i) const {
    return raw(i) == "T";
}
bool MemRecord::isNull(int i) const {
    return raw(i) == kNull;
}

bool MemRecord::deleted() const {
    return recno_ >= 1 && recno_ <= table_->deleted_.size() && table_->deleted_[recno_ - 1];
}

MemTable::MemTable(std::vector<std::string> fieldDefs, std::string aliasName)
    : alias(std::move(aliasName)), blank_(this, 0), cursor_(this, 0) {
    uint32_t offset = 1;
    for (const std::string& def : fieldDefs) {
        std::stringstream in(def);
        std::string name, type, len, dec;
        std::getline(in, name, ',');
        std::getline(in, type, ',');
        std::getline(in, len, ',');
        std::getline(in, dec, ',');
        FieldDesc f;
        f.name = upper(name);
        f.type = type.empty() ? 'C' : type[0];
        f.length = static_cast<uint16_t>(std::atoi(len.c_str()));
        f.decimals = static_cast<uint8_t>(std::atoi(dec.c_str()));
        f.flags = type.size() > 1 && type[1] == '0' ? 0x02 : 0;  // "I0": nullable
        f.offset = offset;
        offset += f.length;
        fields.push_back(f);
    }
}

uint32_t MemTable::append(std::vector<std::string> values) {
    values.resize(fields.size());
    rows_.push_back(std::move(values));
    deleted_.push_back(false);
    return recordCount();
}

void MemTable::set(uint32_t recno, int field, std::string value) {
    rows_[recno - 1][static_cast<size_t>(field)] = std::move(value);
}

void MemTable::setDeleted(uint32_t recno, bool d) {
    deleted_[recno - 1] = d;
}

void MemTable::pack() {
    std::vector<std::vector<std::string>> kept;
    for (size_t i = 0; i < rows_.size(); ++i)
        if (!deleted_[i]) kept.push_back(rows_[i]);
    rows_.swap(kept);
    deleted_.assign(rows_.size(), false);
}

MemRecord& MemTable::record(uint32_t recno) {
    cursor_.setRecno(recno);
    return cursor_;
}

Status MemTable::readRecord(uint32_t recordNumber, const RecordView** view) {
    if (recordNumber < 1 || recordNumber > recordCount())
        return Status(kInvalidArgument, "no record " + std::to_string(recordNumber));
    *view = &record(recordNumber);
    return Status();
}

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("cdxtest_" + std::to_string(std::random_device{}()) + "_" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string toHex(std::string_view bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::unique_ptr<Expression> compiled(std::string_view source, const RecordView& schema,
                                     std::string* error) {
    std::unique_ptr<Expression> e;
    Status s = Expression::compile(source, schema, &e);
    if (error) *error = s.message();
    return e;
}

}  // namespace engine::test
