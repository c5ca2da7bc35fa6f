// ComObject, ComPtr and the enumerators.
#include "platform/com/com_object.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "common/wide_string.h"
#include "platform/com/allocation_counts.h"
#include "platform/com/com_api.h"
#include "platform/com/enumerators.h"
#include "platform/com/test_objects.h"

namespace tavrel {

// Test interfaces: their InterfaceTraits must live in the global namespace.
inline constexpr IID IID_IFirst = {
    0x6A1C0001, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x01}};
inline constexpr IID IID_ISecond = {
    0x6A1C0002, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x02}};

struct IFirst : public IUnknown {
  STDMETHOD_(int, First)() PURE;
};
COM_INTERFACE_ID(IFirst);

struct ISecond : public IUnknown {
  STDMETHOD_(int, Second)() PURE;
};
COM_INTERFACE_ID(ISecond);

namespace {

class TwoFaces final : public ComObject<IFirst, ISecond> {
 public:
  STDMETHODIMP_(int) First() override { return 1; }
  STDMETHODIMP_(int) Second() override { return 2; }
};

TEST(ComObject, QueryInterfaceFindsEveryListedInterfaceAndOneIdentity) {
  const size_t alive = ComObjectsAlive();
  {
    ComPtr<TwoFaces> object = MakeComObject<TwoFaces>();
    EXPECT_EQ(ComObjectsAlive(), alive + 1);
    ComPtr<IFirst> first;
    ComPtr<ISecond> second;
    ASSERT_EQ(object.As(&first), S_OK);
    ASSERT_EQ(object.As(&second), S_OK);
    EXPECT_EQ(first->First(), 1);
    EXPECT_EQ(second->Second(), 2);
    ComPtr<IUnknown> identityFromFirst;
    ComPtr<IUnknown> identityFromSecond;
    ASSERT_EQ(first.As(&identityFromFirst), S_OK);
    ASSERT_EQ(second.As(&identityFromSecond), S_OK);
    EXPECT_EQ(identityFromFirst, identityFromSecond);
    ComPtr<IEnumString> absent;
    EXPECT_EQ(object.As(&absent), E_NOINTERFACE);
    EXPECT_FALSE(absent);
    EXPECT_EQ(ReferencesOf(first.Get()), 5u);
    EXPECT_EQ(object->QueryInterface(IID_IFirst, nullptr), E_POINTER);
  }
  EXPECT_EQ(ComObjectsAlive(), alive);
}

TEST(ComPtr, CopiesMovesAndOutParametersKeepTheCountRight) {
  std::atomic<int> destroyed{0};
  ComPtr<CountedObject> original = MakeComObject<CountedObject>(&destroyed);
  {
    ComPtr<CountedObject> copy = original;
    EXPECT_EQ(ReferencesOf(original.Get()), 2u);
    ComPtr<CountedObject> moved = std::move(copy);
    EXPECT_FALSE(copy);
    EXPECT_EQ(ReferencesOf(original.Get()), 2u);
    ComPtr<IUnknown> asUnknown;
    original->QueryInterface(IID_IUnknown, asUnknown.ReleaseAndGetVoidAddressOf());
    EXPECT_EQ(ReferencesOf(original.Get()), 3u);
    // Filling an out parameter again releases what it held.
    original->QueryInterface(IID_IUnknown, asUnknown.ReleaseAndGetVoidAddressOf());
    EXPECT_EQ(ReferencesOf(original.Get()), 3u);
  }
  EXPECT_EQ(ReferencesOf(original.Get()), 1u);
  CountedObject* raw = original.Detach();
  EXPECT_EQ(destroyed.load(), 0);
  ComPtr<CountedObject> attached;
  attached.Attach(raw);
  attached = nullptr;
  EXPECT_EQ(destroyed.load(), 1);
}

TEST(ComObject, ReferenceCountingIsThreadSafe) {
  std::atomic<int> destroyed{0};
  ComPtr<CountedObject> object = MakeComObject<CountedObject>(&destroyed);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([raw = object.Get()] {
      for (int i = 0; i < 20000; ++i) {
        ComPtr<IUnknown> reference;
        raw->QueryInterface(IID_IUnknown, reference.ReleaseAndGetVoidAddressOf());
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(ReferencesOf(object.Get()), 1u);
  object = nullptr;
  EXPECT_EQ(destroyed.load(), 1);
}

TEST(Enumerators, StringsComeInBatchesInTaskMemory) {
  const size_t blocks = TaskMemoryBlocksInUse();
  std::vector<WideString> names;
  for (int i = 0; i < 250; ++i)
    names.push_back(OLESTR("item") + WideString(1, OLESTR('A') + i % 26));
  ComPtr<IEnumString> enumerator = CreateStringEnumerator(names);
  std::vector<WideString> read;
  LPOLESTR batch[100];
  ULONG fetched = 0;
  HRESULT hr = S_OK;
  int calls = 0;
  do {
    hr = enumerator->Next(100, batch, &fetched);
    ++calls;
    for (ULONG i = 0; i < fetched; ++i) {
      read.emplace_back(batch[i]);
      CoTaskMemFree(batch[i]);
    }
  } while (hr == S_OK);
  EXPECT_EQ(hr, S_FALSE);
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(read, names);
  EXPECT_EQ(TaskMemoryBlocksInUse(), blocks);
  EXPECT_EQ(enumerator->Next(2, batch, nullptr), E_POINTER);
}

TEST(Enumerators, SkipResetAndCloneShareTheSnapshot) {
  const GUID a{1, 0, 0, {}};
  const GUID b{2, 0, 0, {}};
  const GUID c{3, 0, 0, {}};
  ComPtr<IEnumGUID> enumerator = CreateGuidEnumerator({a, b, c});
  EXPECT_EQ(enumerator->Skip(1), S_OK);
  ComPtr<IEnumGUID> clone;
  ASSERT_EQ(enumerator->Clone(clone.ReleaseAndGetAddressOf()), S_OK);
  GUID read[3];
  ULONG fetched = 0;
  EXPECT_EQ(clone->Next(3, read, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 2u);
  EXPECT_EQ(read[0], b);
  EXPECT_EQ(read[1], c);
  EXPECT_EQ(enumerator->Next(1, read, nullptr), S_OK);  // the original kept its own position
  EXPECT_EQ(read[0], b);
  EXPECT_EQ(enumerator->Skip(5), S_FALSE);
  EXPECT_EQ(enumerator->Reset(), S_OK);
  EXPECT_EQ(enumerator->Next(1, read, nullptr), S_OK);
  EXPECT_EQ(read[0], a);
}

}  // namespace

}  // namespace tavrel
