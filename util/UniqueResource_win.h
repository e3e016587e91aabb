#pragma once

#include <windows.h>

// One move-only owner for every kind of Win32 resource; the traits type knows
// the resource's "invalid" value and how to release it.
template <typename Traits>
class UniqueResource {
public:
    using Type = typename Traits::Type;

    UniqueResource() noexcept : value_(Traits::invalid()) {}
    explicit UniqueResource(Type value) noexcept : value_(value) {}
    ~UniqueResource() { reset(); }

    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;

    Type get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return Traits::isValid(value_); }

    // Releases the current resource and takes ownership of value.
    void reset(Type value = Traits::invalid()) noexcept {
        if (Traits::isValid(value_)) Traits::close(value_);
        value_ = value;
    }

    // Gives up ownership without releasing.
    Type release() noexcept {
        Type value = value_;
        value_ = Traits::invalid();
        return value;
    }

    // Releases the current resource and returns the slot for an output parameter.
    Type* put() noexcept {
        reset();
        return &value_;
    }

private:
    Type value_;
};

// Kernel handles: both null and INVALID_HANDLE_VALUE mean "none".
struct KernelHandleTraits {
    using Type = HANDLE;
    static Type invalid() noexcept { return nullptr; }
    static bool isValid(Type h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(Type h) noexcept { CloseHandle(h); }
};

// File handles from CreateFileW, whose failure value is INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    using Type = HANDLE;
    static Type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool isValid(Type h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(Type h) noexcept { CloseHandle(h); }
};

struct FindHandleTraits {
    using Type = HANDLE;
    static Type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool isValid(Type h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(Type h) noexcept { FindClose(h); }
};

struct RegistryKeyTraits {
    using Type = HKEY;
    static Type invalid() noexcept { return nullptr; }
    static bool isValid(Type k) noexcept { return k != nullptr; }
    static void close(Type k) noexcept { RegCloseKey(k); }
};

struct ModuleTraits {
    using Type = HMODULE;
    static Type invalid() noexcept { return nullptr; }
    static bool isValid(Type m) noexcept { return m != nullptr; }
    static void close(Type m) noexcept { FreeLibrary(m); }
};

struct MappedViewTraits {
    using Type = const void*;
    static Type invalid() noexcept { return nullptr; }
    static bool isValid(Type v) noexcept { return v != nullptr; }
    static void close(Type v) noexcept { UnmapViewOfFile(v); }
};

struct WritableViewTraits {
    using Type = void*;
    static Type invalid() noexcept { return nullptr; }
    static bool isValid(Type v) noexcept { return v != nullptr; }
    static void close(Type v) noexcept { UnmapViewOfFile(v); }
};

struct GdiObjectTraits {
    using Type = HGDIOBJ;
    static Type invalid() noexcept { return nullptr; }
    static bool isValid(Type o) noexcept { return o != nullptr; }
    static void close(Type o) noexcept { DeleteObject(o); }
};

using UniqueHandle = UniqueResource<KernelHandleTraits>;
using UniqueFile = UniqueResource<FileHandleTraits>;
using UniqueFind = UniqueResource<FindHandleTraits>;
using UniqueRegKey = UniqueResource<RegistryKeyTraits>;
using UniqueModule = UniqueResource<ModuleTraits>;
using UniqueMappedView = UniqueResource<MappedViewTraits>;
using UniqueWritableView = UniqueResource<WritableViewTraits>;
using UniqueGdiObject = UniqueResource<GdiObjectTraits>;
