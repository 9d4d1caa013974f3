// The owners of handles, views and COM pointers: each releases exactly once, and a move hands over.

#include <windows.h>
#include <gtest/gtest.h>

#include "framework/ComPtr.h"
#include "framework/Handles.h"

namespace {
bool IsOpenHandle(HANDLE handle)
{
    DWORD flags = 0;
    return ::GetHandleInformation(handle, &flags) != FALSE;
}

bool IsMapped(const void* address)
{
    MEMORY_BASIC_INFORMATION info{};
    return ::VirtualQuery(address, &info, sizeof info) == sizeof info && info.State == MEM_COMMIT;
}

// Counts its releases; enough of IUnknown for ComPtr.
struct CountedObject : IUnknown {
    int releases = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return ++releases, 1; }
};
}  // namespace

TEST(FrameworkHandles, OwnersReleaseOnceAndMovesHandOver)
{
    HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    UniqueHandle first(event);
    UniqueHandle second;
    second = std::move(first);
    EXPECT_FALSE(first);
    EXPECT_EQ(second.get(), event);
    EXPECT_TRUE(IsOpenHandle(event));
    second.reset();
    EXPECT_FALSE(IsOpenHandle(event));

    // Each kind keeps its own "none": INVALID_HANDLE_VALUE for files, -1 for LZ32, whose errors are negative.
    EXPECT_EQ(UniqueFile().get(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(UniqueHandle().get(), nullptr);
    EXPECT_FALSE(UniqueFile(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(UniqueHandle(INVALID_HANDLE_VALUE));
    EXPECT_EQ(UniqueLzHandle().get(), -1);
    EXPECT_FALSE(UniqueLzHandle(LZERROR_BADINHANDLE));

    UniqueHandle mapping(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, nullptr));
    ASSERT_TRUE(mapping);
    void* address = nullptr;
    {
        const UniqueMappedView view(::MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, 4096));
        ASSERT_TRUE(view);
        address = view.get();
        EXPECT_TRUE(IsMapped(address));
    }
    EXPECT_FALSE(IsMapped(address));
}

TEST(FrameworkHandles, ComPtrMoveAssignmentReleasesTheOldPointerOnly)
{
    CountedObject a, b;
    ComPtr<IUnknown> target, source;
    *target.put() = &a;
    *source.put() = &b;
    target = std::move(source);
    EXPECT_EQ(a.releases, 1);
    EXPECT_EQ(b.releases, 0);
    EXPECT_EQ(target.get(), &b);
    EXPECT_FALSE(source);
    ComPtr<IUnknown>& self = target;
    target = std::move(self);
    EXPECT_EQ(b.releases, 0);
    target.reset();
    EXPECT_EQ(b.releases, 1);
}
