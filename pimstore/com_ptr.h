// One reference to a COM object, released when the holder goes.
#pragma once

#include <utility>

namespace pimstore {

template <typename T> class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller already owns (a new object, an out-parameter).
    explicit ComPtr(T* adopted) : object_(adopted) {}
    ComPtr(const ComPtr& other) : object_(other.object_) {
        if (object_)
            object_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }
    ~ComPtr() {
        if (object_)
            object_->Release();
    }

    // A new reference to an object someone else holds.
    static ComPtr shared(T* object) {
        if (object)
            object->AddRef();
        return ComPtr(object);
    }

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

    // For out-parameters: drops what is held and hands out the slot.
    T** receive() {
        *this = ComPtr();
        return &object_;
    }
    // Gives the reference away, for returning through an out-parameter.
    T* detach() {
        T* object = object_;
        object_ = nullptr;
        return object;
    }

private:
    T* object_ = nullptr;
};

} // namespace pimstore
