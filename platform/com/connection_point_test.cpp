#include "platform/com/connection_point.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "platform/com/com_object.h"
#include "platform/com/test_objects.h"

namespace tavrel {

// Test interfaces: their InterfaceTraits must live in the global namespace.
inline constexpr IID IID_ITicker = {
    0x6A1C0101, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x03}};
inline constexpr IID IID_IOtherEvents = {
    0x6A1C0102, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x04}};

// The event interface of the test server.
struct ITicker : public IUnknown {
  STDMETHOD(Tick)(int value) PURE;
};
COM_INTERFACE_ID(ITicker);

namespace {

class TickSink final : public ComObject<ITicker> {
 public:
  STDMETHODIMP Tick(int value) override {
    total += value;
    return S_OK;
  }
  std::atomic<int> total{0};
};

// A server with one connection point for ITicker.
class TickServer final : public ComObject<IConnectionPointContainer> {
 public:
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override {
    return EnumerateConnectionPoints({&tickPoint_}, points);
  }
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
    return FindConnectionPointIn({&tickPoint_}, iid, point);
  }
  void Fire(int value) {
    for (const ComPtr<ITicker>& sink : tickPoint_.Sinks<ITicker>()) sink->Tick(value);
  }

 private:
  ConnectionPoint tickPoint_{*this, IID_ITicker};
};

TEST(ConnectionPoint, AdviseDeliversUntilUnadvise) {
  const size_t alive = ComObjectsAlive();
  {
    ComPtr<TickServer> server = MakeComObject<TickServer>();
    ComPtr<TickSink> first = MakeComObject<TickSink>();
    ComPtr<TickSink> second = MakeComObject<TickSink>();
    DWORD firstCookie = 0;
    DWORD secondCookie = 0;
    ASSERT_EQ(AtlAdvise(server.Get(), first.Get(), IID_ITicker, &firstCookie), S_OK);
    ASSERT_EQ(AtlAdvise(server.Get(), second.Get(), IID_ITicker, &secondCookie), S_OK);
    EXPECT_NE(firstCookie, 0u);
    EXPECT_NE(secondCookie, 0u);
    EXPECT_NE(firstCookie, secondCookie);
    EXPECT_EQ(ReferencesOf(first.Get()), 2u);  // the point holds the sink

    server->Fire(5);
    EXPECT_EQ(first->total.load(), 5);
    EXPECT_EQ(second->total.load(), 5);

    ASSERT_EQ(AtlUnadvise(server.Get(), IID_ITicker, firstCookie), S_OK);
    EXPECT_EQ(ReferencesOf(first.Get()), 1u);
    EXPECT_EQ(AtlUnadvise(server.Get(), IID_ITicker, firstCookie), CONNECT_E_NOCONNECTION);
    server->Fire(3);
    EXPECT_EQ(first->total.load(), 5);
    EXPECT_EQ(second->total.load(), 8);
    // The server still holds `second`: releasing the server releases it.
  }
  EXPECT_EQ(ComObjectsAlive(), alive);
}

TEST(ConnectionPoint, RefusesWrongSinksAndUnknownInterfaces) {
  ComPtr<TickServer> server = MakeComObject<TickServer>();
  ComPtr<CountedObject> notATicker = MakeComObject<CountedObject>();
  DWORD cookie = 99;
  EXPECT_EQ(AtlAdvise(server.Get(), notATicker.Get(), IID_ITicker, &cookie),
            CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(cookie, 0u);
  EXPECT_EQ(AtlAdvise(server.Get(), nullptr, IID_ITicker, &cookie), E_POINTER);
  ComPtr<TickSink> sink = MakeComObject<TickSink>();
  EXPECT_EQ(AtlAdvise(server.Get(), sink.Get(), IID_IOtherEvents, &cookie), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(AtlAdvise(sink.Get(), sink.Get(), IID_ITicker, &cookie), E_NOINTERFACE);
  EXPECT_EQ(ReferencesOf(sink.Get()), 1u);
}

TEST(ConnectionPoint, PointsKeepTheirContainerAliveAndEnumerate) {
  std::atomic<int> destroyed{0};
  ComPtr<TickServer> server = MakeComObject<TickServer>();
  ComPtr<IConnectionPoint> point;
  ASSERT_EQ(server->FindConnectionPoint(IID_ITicker, point.ReleaseAndGetAddressOf()), S_OK);
  IID iid;
  ASSERT_EQ(point->GetConnectionInterface(&iid), S_OK);
  EXPECT_EQ(iid, IID_ITicker);
  ComPtr<TickSink> sink = MakeComObject<TickSink>();
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(sink.Get(), &cookie), S_OK);

  ComPtr<IEnumConnections> connections;
  ASSERT_EQ(point->EnumConnections(connections.ReleaseAndGetAddressOf()), S_OK);
  CONNECTDATA data[2];
  ULONG fetched = 0;
  EXPECT_EQ(connections->Next(2, data, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 1u);
  EXPECT_EQ(data[0].dwCookie, cookie);
  data[0].pUnk->Release();

  ComPtr<IEnumConnectionPoints> points;
  ASSERT_EQ(server->EnumConnectionPoints(points.ReleaseAndGetAddressOf()), S_OK);
  IConnectionPoint* listed = nullptr;
  ASSERT_EQ(points->Next(1, &listed, nullptr), S_OK);
  EXPECT_EQ(listed, point.Get());
  listed->Release();

  server = nullptr;  // the point's reference keeps the server
  ComPtr<IConnectionPointContainer> container;
  ASSERT_EQ(point->GetConnectionPointContainer(container.ReleaseAndGetAddressOf()), S_OK);
  IConnectionPoint* other = nullptr;
  EXPECT_EQ(container->FindConnectionPoint(IID_IOtherEvents, &other), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(point->Unadvise(cookie), S_OK);
}

TEST(ConnectionPoint, ConcurrentAdviseUnadviseAndFiring) {
  ComPtr<TickServer> server = MakeComObject<TickServer>();
  std::atomic<bool> stop{false};
  std::thread firing([&] {
    while (!stop.load()) server->Fire(1);
  });
  std::vector<std::thread> clients;
  std::vector<DWORD> cookies(4 * 200);
  for (int t = 0; t < 4; ++t) {
    clients.emplace_back([&, t] {
      for (int i = 0; i < 200; ++i) {
        ComPtr<TickSink> sink = MakeComObject<TickSink>();
        DWORD& cookie = cookies[t * 200 + i];
        ASSERT_EQ(AtlAdvise(server.Get(), sink.Get(), IID_ITicker, &cookie), S_OK);
        ASSERT_EQ(AtlUnadvise(server.Get(), IID_ITicker, cookie), S_OK);
      }
    });
  }
  for (std::thread& client : clients) client.join();
  stop = true;
  firing.join();
  std::sort(cookies.begin(), cookies.end());
  EXPECT_EQ(std::adjacent_find(cookies.begin(), cookies.end()), cookies.end());
  EXPECT_EQ(ReferencesOf(server.Get()), 1u);
}

}  // namespace

}  // namespace tavrel
