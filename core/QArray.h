#pragma once
// Dynamic arrays of plain elements: a data pointer and a signed 32-bit count.
//
// CQTypedArray keeps trivially copyable elements; growing copies them bytewise and zero-fills
// the new tail (ConstructElements). CQPtrTypeArray is the same over pointers; CQObArray owns
// its pointers and deletes the objects when their elements are destructed (removed, dropped by
// a shrink, or the whole array emptied or destroyed).

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <type_traits>

namespace tessaly {

template <typename TYPE, typename ARG_TYPE = const TYPE&>
class CQTypedArray {
    static_assert(std::is_trivially_copyable_v<TYPE>, "elements are moved bytewise");

public:
    CQTypedArray() = default;
    CQTypedArray(const CQTypedArray&) = delete;
    CQTypedArray& operator=(const CQTypedArray&) = delete;
    // Frees the block. Derived arrays whose DestructElements does work empty themselves in
    // their own destructor, where the virtual call still reaches them.
    virtual ~CQTypedArray() { std::free(m_pData); }

    // Fills n new elements with zero bytes.
    virtual void ConstructElements(TYPE* p, std::int32_t n) {
        if (n > 0) {
            std::memset(static_cast<void*>(p), 0, sizeof(TYPE) * static_cast<std::size_t>(n));
        }
    }
    // Releases what n elements hold; plain elements hold nothing.
    virtual void DestructElements(TYPE*, std::int32_t) {}

    std::int32_t GetCount() const { return m_nCount; }
    std::int32_t GetSize() const { return m_nCount; }
    bool IsEmpty() const { return m_nCount == 0; }
    TYPE* GetData() { return m_pData; }
    const TYPE* GetData() const { return m_pData; }

    // Growing makes room for exactly the new count (unless room is left over from Add) and
    // zero-fills the tail; shrinking destructs the dropped elements; 0 frees the block.
    // Throws std::length_error for a negative count and std::bad_alloc when memory runs out.
    void SetSize(std::int32_t count) {
        if (count < 0) {
            throw std::length_error("CQTypedArray: negative size");
        }
        if (count == 0) {
            RemoveAll();
            return;
        }
        if (count <= m_nCount) {
            DestructElements(m_pData + count, m_nCount - count);
            m_nCount = count;
            return;
        }
        if (count > m_nAlloc) {
            Reallocate(count);
        }
        ConstructElements(m_pData + m_nCount, count - m_nCount);
        m_nCount = count;
    }
    void RemoveAll() {
        if (m_pData != nullptr) {
            DestructElements(m_pData, m_nCount);
            std::free(m_pData);
        }
        m_pData = nullptr;
        m_nCount = 0;
        m_nAlloc = 0;
    }

    TYPE GetAt(std::int32_t i) const { return m_pData[Checked(i)]; }
    TYPE& ElementAt(std::int32_t i) { return m_pData[Checked(i)]; }
    const TYPE& ElementAt(std::int32_t i) const { return m_pData[Checked(i)]; }
    TYPE& operator[](std::int32_t i) { return ElementAt(i); }
    const TYPE& operator[](std::int32_t i) const { return ElementAt(i); }

    // Overwrites element i, destructing the old element first.
    void SetAt(std::int32_t i, ARG_TYPE value) {
        Checked(i);
        DestructElements(m_pData + i, 1);
        m_pData[i] = value;
    }
    // Appends an element and returns its index. Room grows geometrically so that a long run
    // of appends does not copy the whole array each time.
    std::int32_t Add(ARG_TYPE value) {
        if (m_nCount == INT32_MAX) {
            throw std::length_error("CQTypedArray: too many elements");
        }
        if (m_nCount == m_nAlloc) {
            std::int32_t grow = std::max<std::int32_t>(4, m_nCount / 2);
            Reallocate(m_nCount > INT32_MAX - grow ? INT32_MAX : m_nCount + grow);
        }
        std::int32_t index = m_nCount;
        ConstructElements(m_pData + index, 1);
        m_pData[index] = value;
        m_nCount = index + 1;
        return index;
    }
    // Destructs element i and moves the rest down.
    void RemoveAt(std::int32_t i) {
        Checked(i);
        DestructElements(m_pData + i, 1);
        std::memmove(static_cast<void*>(m_pData + i), m_pData + i + 1,
                     sizeof(TYPE) * static_cast<std::size_t>(m_nCount - i - 1));
        --m_nCount;
    }

    TYPE* begin() { return m_pData; }
    TYPE* end() { return m_pData + m_nCount; }
    const TYPE* begin() const { return m_pData; }
    const TYPE* end() const { return m_pData + m_nCount; }

protected:
    std::int32_t Checked(std::int32_t i) const {
        if (i < 0 || i >= m_nCount) {
            throw std::out_of_range("CQTypedArray: index out of range");
        }
        return i;
    }

    TYPE* m_pData = nullptr;
    std::int32_t m_nCount = 0;

private:
    void Reallocate(std::int32_t room) {
        auto* p = static_cast<TYPE*>(std::malloc(sizeof(TYPE) * static_cast<std::size_t>(room)));
        if (p == nullptr) {
            throw std::bad_alloc();
        }
        if (m_nCount > 0) {
            std::memcpy(static_cast<void*>(p), m_pData,
                        sizeof(TYPE) * static_cast<std::size_t>(m_nCount));
        }
        std::free(m_pData);
        m_pData = p;
        m_nAlloc = room;
    }

    std::int32_t m_nAlloc = 0;  // elements the block has room for
};

// An array of pointers that does not own what they point at.
template <typename PTR>
class CQPtrTypeArray : public CQTypedArray<PTR, PTR> {
    static_assert(std::is_pointer_v<PTR>);
};

// An array of owned pointers: destructing an element deletes its object.
template <typename PTR>
class CQObArray : public CQPtrTypeArray<PTR> {
public:
    CQObArray() = default;
    ~CQObArray() override { this->RemoveAll(); }

    void DestructElements(PTR* p, std::int32_t n) override {
        for (std::int32_t i = 0; i < n; ++i) {
            delete p[i];
            p[i] = nullptr;
        }
    }
};

}  // namespace tessaly
