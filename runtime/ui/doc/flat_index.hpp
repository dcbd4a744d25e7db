#pragma once
// An insert-only hash index from a key to a 32-bit number, kept in one flat array with linear
// probing. A lookup touches one or two cache lines where a node-based map follows a pointer per
// node; with tens of thousands of objects and changes that is most of the cost of merging.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvo_ui::doc {

template <typename Key, typename Hash>
class FlatIndex {
  public:
    // The number stored for `key`, or nullptr.
    const std::uint32_t* find(const Key& key) const {
        if (slots_.empty())
            return nullptr;
        for (std::size_t i = Hash{}(key)&mask_;; i = (i + 1) & mask_) {
            const Slot& s = slots_[i];
            if (!s.used)
                return nullptr;
            if (s.key == key)
                return &s.value;
        }
    }
    bool contains(const Key& key) const { return find(key) != nullptr; }

    // Adds `key`; false (and nothing changes) when it is already there.
    bool insert(const Key& key, std::uint32_t value) {
        if (2 * (size_ + 1) > slots_.size())
            grow(slots_.empty() ? 16 : 2 * slots_.size());
        Slot* s = probe(key);
        if (s->used)
            return false;
        *s = Slot{key, value, true};
        ++size_;
        return true;
    }

    // Room for `count` keys without growing.
    void reserve(std::size_t count) {
        std::size_t want = 16;
        while (want < 2 * count)
            want *= 2;
        if (want > slots_.size())
            grow(want);
    }

    std::size_t size() const { return size_; }

  private:
    struct Slot {
        Key key{};
        std::uint32_t value = 0;
        bool used = false;
    };

    // The slot holding `key`, or the free slot where it would go.
    Slot* probe(const Key& key) {
        for (std::size_t i = Hash{}(key)&mask_;; i = (i + 1) & mask_) {
            Slot& s = slots_[i];
            if (!s.used || s.key == key)
                return &s;
        }
    }

    void grow(std::size_t capacity) {
        std::vector<Slot> old(capacity);
        old.swap(slots_);
        mask_ = capacity - 1;
        for (const Slot& s : old) {
            if (s.used)
                *probe(s.key) = s;
        }
    }

    std::vector<Slot> slots_;  // a power of two in size, at most half full
    std::size_t mask_ = 0;
    std::size_t size_ = 0;
};

}  // namespace orvo_ui::doc
