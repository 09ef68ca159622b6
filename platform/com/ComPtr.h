// ComPtr<T>: owns one reference to a COM interface or object.
//
// Constructing from a raw pointer takes a new reference (AddRef); attach() adopts one the
// caller already holds (a pointer received from an out parameter or a new object). put()
// releases the current pointer and returns the slot for an out parameter. query<U>() asks for
// another interface and gives an empty pointer when the object has none.
#pragma once

#include <type_traits>

#include "platform/com/Unknown.h"

namespace lumo::com {

template <class T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    explicit ComPtr(T* p) noexcept : m_p(p) {
        if (m_p) m_p->AddRef();
    }
    ComPtr(const ComPtr& other) noexcept : ComPtr(other.m_p) {}
    ComPtr(ComPtr&& other) noexcept : m_p(other.m_p) { other.m_p = nullptr; }
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    ComPtr(const ComPtr<U>& other) noexcept : ComPtr(static_cast<T*>(other.get())) {}
    ~ComPtr() { reset(); }

    ComPtr& operator=(const ComPtr& other) noexcept {
        ComPtr copy(other);
        swap(copy);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept {
        ComPtr moved(std::move(other));
        swap(moved);
        return *this;
    }

    static ComPtr attach(T* p) noexcept {
        ComPtr result;
        result.m_p = p;
        return result;
    }

    T* get() const noexcept { return m_p; }
    T* operator->() const noexcept { return m_p; }
    T& operator*() const noexcept { return *m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }

    // Gives up the reference without releasing it.
    T* detach() noexcept {
        T* p = m_p;
        m_p = nullptr;
        return p;
    }
    void reset() noexcept {
        if (m_p) {
            T* p = m_p;
            m_p = nullptr;
            p->Release();
        }
    }
    T** put() noexcept {
        reset();
        return &m_p;
    }
    void** putVoid() noexcept { return reinterpret_cast<void**>(put()); }
    void swap(ComPtr& other) noexcept { std::swap(m_p, other.m_p); }

    template <class U>
    ComPtr<U> query() const {
        ComPtr<U> result;
        if (m_p) {
            void* p = nullptr;
            if (SUCCEEDED(m_p->QueryInterface(InterfaceTraits<U>::iid, &p)) && p) {
                result = ComPtr<U>::attach(static_cast<U*>(p));
            }
        }
        return result;
    }

    // Hands a new reference out through an out parameter.
    HRESULT copyTo(T** out) const noexcept {
        if (!out) return E_POINTER;
        *out = m_p;
        if (m_p) m_p->AddRef();
        return S_OK;
    }

private:
    T* m_p = nullptr;
};

}  // namespace lumo::com
