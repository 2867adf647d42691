#pragma once
// The shared in-memory records: the row list and the column setup.
//
// Texts are UTF-8 without padding; the widths the program promises (100 bytes a field, 500 the
// memo, 16 a title) are CP949 byte counts, kept by whoever fills a field (cp949::cut).
// Arrays are zero-based: element i - 1 belongs to shown column i.

#include "app/packed_texts.h"

#include <algorithm>
#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace rowbit {

inline constexpr int kMaxColumns = 10;
inline constexpr std::size_t kFieldBytes = 100;
inline constexpr std::size_t kMemoBytes = 500;
inline constexpr std::size_t kTitleBytes = 16;
inline constexpr std::size_t kFormulaBytes = 30;
// The largest size a column of the setup holds: the setup dialog's size field shows four
// digits.
inline constexpr int kMaxSlotSize = 9999;

// What a text of a record offers besides its view: conversions, comparisons and printing,
// so that a field reads like the string it used to be.
template <class Self>
class TextValue {
public:
    operator std::string_view() const { return view(); }
    operator std::string() const { return std::string(view()); }
    const char* data() const { return view().data(); }
    std::size_t size() const { return view().size(); }
    bool empty() const { return view().empty(); }

    friend bool operator==(const Self& a, const Self& b) { return a.view() == b.view(); }
    friend bool operator==(const Self& a, std::string_view b) { return a.view() == b; }
    friend std::strong_ordering operator<=>(const Self& a, const Self& b) {
        return a.view() <=> b.view();
    }
    friend std::strong_ordering operator<=>(const Self& a, std::string_view b) {
        return a.view() <=> b;
    }
    friend std::ostream& operator<<(std::ostream& out, const Self& text) {
        return out << text.view();
    }

private:
    std::string_view view() const { return static_cast<const Self&>(*this).text(); }
};

// The fields of a record: display texts of shown columns 1..10, packed in one block. Reading
// gives a std::string_view into the block, valid until the field changes or the record goes
// (moving the record does not move its texts); assigning a field packs the record anew.
class RecordColumns {
public:
    using Texts = PackedTexts<kMaxColumns>;

    // Field k of a record that may change.
    class Field : public TextValue<Field> {
    public:
        Field(Texts& texts, std::size_t k) : texts_(texts), k_(k) {}
        Field(const Field&) = default;
        Field& operator=(std::string_view text) {
            texts_.set(k_, text);
            return *this;
        }
        Field& operator=(const Field& other) { return *this = other.text(); }
        std::string_view text() const { return texts_.get(k_); }

    private:
        Texts& texts_;
        std::size_t k_;
    };

    class Iterator {
    public:
        using value_type = std::string_view;
        using reference = std::string_view;
        using pointer = void;
        using difference_type = std::ptrdiff_t;
        using iterator_category = std::input_iterator_tag;
        Iterator() = default;
        Iterator(const Texts* texts, std::size_t k) : texts_(texts), k_(k) {}
        std::string_view operator*() const { return texts_->get(k_); }
        Iterator& operator++() {
            ++k_;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++k_;
            return before;
        }
        bool operator==(const Iterator&) const = default;

    private:
        const Texts* texts_ = nullptr;
        std::size_t k_ = 0;
    };
    using iterator = Iterator;
    using const_iterator = Iterator;

    // All fields at once, the ones not given empty.
    RecordColumns& operator=(std::initializer_list<std::string_view> texts) {
        std::string_view all[kMaxColumns];
        std::copy_n(texts.begin(), std::min(texts.size(), std::size_t{kMaxColumns}), all);
        texts_.setAll(all);
        return *this;
    }

    std::string_view operator[](std::size_t k) const { return texts_.get(k); }
    Field operator[](std::size_t k) { return Field(texts_, k); }
    Iterator begin() const { return Iterator(&texts_, 0); }
    Iterator end() const { return Iterator(&texts_, kMaxColumns); }
    static constexpr std::size_t size() { return kMaxColumns; }
    bool operator==(const RecordColumns& other) const {
        return std::equal(begin(), end(), other.begin());
    }

    Texts& packed() { return texts_; }
    const Texts& packed() const { return texts_; }

private:
    Texts texts_;
};

// The memo of a record, in a block of its own (none while it is empty).
class RecordText : public TextValue<RecordText> {
public:
    using Texts = PackedTexts<1>;

    RecordText& operator=(std::string_view text) {
        if (text.empty())
            texts_ = Texts();
        else
            texts_.set(0, text);
        return *this;
    }
    std::string_view text() const { return texts_.get(0); }

    Texts& packed() { return texts_; }
    const Texts& packed() const { return texts_; }

private:
    Texts texts_;
};

// One record of the row list.
struct Record {
    RecordColumns col;    // display texts of shown columns 1..10
    RecordText memo;      // the memo column's text
    std::int32_t row = 0; // zero-based sheet row it was read from
    double num = 0;       // numeric sort key

    void clear() { *this = Record{}; }
};

// Identity of a record in a RecordList: stays with the record through sorting and deleting of
// others, never reused within one list.
using RecordId = std::uint64_t;

// An ordered list of records with 1-based positions and one current-record buffer.
class RecordList {
public:
    Record buffer; // the current-record buffer

    void clear();                 // empties the list (the buffer stays)
    std::size_t count() const;    // number of records
    std::size_t position() const; // position of the current record, 0 when none
    // Appends the buffer as a new record; it becomes the current record. Returns its position.
    std::size_t add();
    // Appends these records, moved in, with consecutive new identities; the last becomes the
    // current record. Returns the identity of the first. Into an empty list the vector itself
    // is taken over, so a caller that reserved it to its final size never has it grow. Texts
    // of the records that sit in `arena` stay valid as long as the list holds them.
    RecordId append(std::vector<Record>&& records, SharedArena arena = nullptr);
    // Loads the record at `pos` (1-based) into the buffer and makes it current.
    bool get(std::size_t pos);
    // Writes the buffer back over the current record.
    bool put();
    // Deletes the current record; the record after it (or before it, at the end) becomes current.
    // The buffer keeps what it held.
    bool remove();

    // Takes the record at `pos` (1-based) out of the list, as remove() does for the current
    // one; the buffer is left alone.
    Record take(std::size_t pos);
    // Puts `record` at `pos` (1-based; count() + 1 appends) under `id`, an identity this list
    // gave out and holds no more (the record was taken out). It becomes the current record.
    void restore(std::size_t pos, Record record, RecordId id);
    // Puts the records in the order `order` (order[i] = index from 0 of the record that is to
    // come i-th); the current record stays current. `order` is used up.
    void reorder(std::vector<std::uint32_t>& order) { applyOrder(order); }

    const Record& at(std::size_t pos) const; // 1-based, no buffer involved
    Record& at(std::size_t pos);
    RecordId id(std::size_t pos) const;
    // Position of the record with this identity, nullopt when it was deleted.
    std::optional<std::size_t> find(RecordId id) const;

    // Stable sort by `less`; the current record stays current (by identity). Sorts a
    // permutation and moves each record once.
    void sort(const std::function<bool(const Record&, const Record&)>& less);

    // Stable sort by a key taken once from each record (a number, or a string_view into the
    // record): the keys sit side by side while sorting, which is several times faster on a
    // long list than comparing records through `sort`. `less` orders two keys.
    template <class KeyFn, class Less>
    void sortByKey(KeyFn key, Less less);

    void reserve(std::size_t n);

    // The arenas the records' texts may sit in.
    const std::vector<SharedArena>& arenas() const { return arenas_; }

private:
    std::vector<SharedArena> arenas_; // where the records' texts may sit
    std::vector<Record> records_;
    std::vector<RecordId> ids_;
    RecordId nextId_ = 1;
    std::size_t current_ = 0;
    RecordId idBase_ = 1;                    // smallest id the list can still hold (set by clear)
    mutable std::vector<std::size_t> index_; // id - idBase_ -> position (0: gone), on demand
    mutable bool indexValid_ = false;
    void rebuildIndex() const;
    // Puts the records in the order `order` (order[i] = old index of the new i-th record) and
    // keeps the current record current; `order` is used up.
    void applyOrder(std::vector<std::uint32_t>& order);
};

template <class KeyFn, class Less>
void RecordList::sortByKey(KeyFn key, Less less) {
    using Key = std::decay_t<decltype(key(std::declval<const Record&>()))>;
    const std::size_t n = records_.size();
    if (n < 2) {
        return;
    }
    std::vector<std::pair<Key, std::uint32_t>> keyed;
    keyed.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        keyed.emplace_back(key(records_[i]), static_cast<std::uint32_t>(i));
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [&less](const auto& a, const auto& b) { return less(a.first, b.first); });
    std::vector<std::uint32_t> order(n);
    for (std::size_t i = 0; i < n; ++i) {
        order[i] = keyed[i].second;
    }
    keyed.clear();
    keyed.shrink_to_fit(); // given back before the records move
    applyOrder(order);
}

// What a shown column holds, which decides how its field is checked, shown and written.
enum class FieldType { Text, Number, Date };
// Where a column's texts stand in the list and on the printed report.
enum class Justification { Left, Right, Center };

// Which sheet columns are shown and how.
struct ColumnSetup {
    int columnCount = 0;                        // shown columns in use (0..10)
    std::array<int, kMaxColumns> sheetColumn{}; // sheet column letter index, A = 1; 0 = unused
    std::array<std::string, kMaxColumns> title; // titles (16 bytes)
    std::array<Justification, kMaxColumns> justify{};
    std::array<FieldType, kMaxColumns> type{};
    // The type letter the settings sheet held when it names no type ("X", "s", or none at
    // all): such a column is text that offers no lookup list, and the letter is written back
    // as it was read.
    std::array<std::optional<std::string>, kMaxColumns> unknownType;
    std::array<int, kMaxColumns> size{};          // entry width in characters
    std::array<std::string, kMaxColumns> formula; // formula of a number column (30 bytes)
    std::array<int, kMaxColumns> listWidth{};     // on-screen list width, dialog units
    std::array<int, kMaxColumns> format{};        // workbook format handle
    std::array<int, 2 * kMaxColumns> hasLookup{}; // 1 = the settings sheet holds a lookup list
    int memoColumn = 0;                           // memo column letter index; 0 = none
    std::string memoTitle;                        // 16 bytes
    int memoWidth = 0;                            // memo width in characters
    int memoHeight = 0;                           // memo height in lines
    int firstDataRow = 0;                         // first data row, one-based

    void clear() { *this = ColumnSetup{}; }
    bool operator==(const ColumnSetup&) const = default;
    // Number of shown columns actually in use: entries up to the first sheet column of 0, at
    // most columnCount.
    int usedColumns() const;
    // Shown columns as the sheet loops take them: entries up to the first sheet column of 0,
    // whatever columnCount says.
    int shownColumns() const;
    // Whether field k (0-based) is text that offers the settings sheet's lookup list.
    bool offersLookup(int k) const {
        return type[k] == FieldType::Text && !unknownType[k] && hasLookup[k] != 0;
    }
};

} // namespace rowbit
