#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "com/class_registry.h"
#include "com/connection_point.h"
#include "com/error.h"

namespace albumcore::com {
namespace {

class IFoo : public virtual IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IFoo";
  virtual int Foo() = 0;
};

class IBar : public virtual IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IBar";
  virtual int Bar() = 0;
};

class IBaz : public virtual IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IBaz";
};

// Offers IFoo and IBar; raises `*destroyed` when the last reference goes.
class FooBar : public ComObject, public IFoo, public IBar {
 public:
  explicit FooBar(bool* destroyed = nullptr) : destroyed_(destroyed) {}
  ~FooBar() override {
    if (destroyed_) *destroyed_ = true;
  }
  int Foo() override { return 1; }
  int Bar() override { return 2; }

 private:
  bool* destroyed_;
};

TEST(Objects, ReferenceCounting) {
  bool destroyed = false;
  {
    auto p = MakeObject<FooBar>(&destroyed);
    EXPECT_EQ(p->RefCountForTesting(), 1);
    {
      ComPtr<FooBar> copy = p;
      ComPtr<IFoo> base = p;  // converting copy
      copy = copy;  // self-assignment keeps the reference
      EXPECT_EQ(p->RefCountForTesting(), 3);
    }
    EXPECT_EQ(p->RefCountForTesting(), 1);

    // The constructor from a raw pointer takes a reference; Adopt takes over one.
    FooBar* raw = p.get();
    raw->AddRef();
    {
      auto adopted = ComPtr<FooBar>::Adopt(raw);
      ComPtr<FooBar> taken(raw);
      EXPECT_EQ(p->RefCountForTesting(), 3);
    }
    EXPECT_EQ(p->RefCountForTesting(), 1);
    EXPECT_FALSE(destroyed);
  }
  EXPECT_TRUE(destroyed);
}

TEST(Objects, QueryInterface) {
  ComPtr<IFoo> foo = MakeObject<FooBar>();
  ComPtr<IBar> bar = QueryInterface<IBar>(foo);
  ASSERT_TRUE(bar);
  EXPECT_EQ(QueryInterface<IFoo>(bar.get()).get(), foo.get());
  ComPtr<IUnknown> a = QueryInterface<IUnknown>(foo);
  ComPtr<IUnknown> b = QueryInterface<IUnknown>(bar);
  EXPECT_EQ(a, b);  // one identity through either interface
  EXPECT_FALSE(QueryInterface<IBaz>(foo));

  EXPECT_EQ(CallGuard([&] { QueryInterfaceOrThrow<IBaz>(foo); }), E_NOINTERFACE);
  EXPECT_EQ(CallGuard([&] { EXPECT_EQ(QueryInterfaceOrThrow<IBar>(foo)->Bar(), 2); }), S_OK);
}

TEST(Objects, CallGuardMapsWhatIsRaised) {
  EXPECT_EQ(CallGuard([] {}), S_OK);
  EXPECT_EQ(CallGuard([]() -> HRESULT { throw ComError(CO_E_NOT_SUPPORTED, "detail"); }), CO_E_NOT_SUPPORTED);
  EXPECT_EQ(CallGuard([] { ThrowIfFailed(JetError(3078)); }), JetError(3078));
  EXPECT_EQ(CallGuard([] { throw std::bad_alloc(); }), E_OUTOFMEMORY);

  int* nothing = nullptr;
  int value = 0;
  EXPECT_EQ(CallGuard([&] { CheckOut(nothing) = 1; }), E_POINTER);
  EXPECT_EQ(CallGuard([&] { CheckOut(&value) = 5; }), S_OK);
  EXPECT_EQ(value, 5);

  EXPECT_STREQ(ComError(E_FAIL, "while opening").what(), "0x80004005 (E_FAIL): while opening");
}

TEST(Objects, DescribeHresult) {
  EXPECT_EQ(DescribeHresult(E_FAIL), "0x80004005 (E_FAIL)");
  EXPECT_EQ(JetError(3075), MakeHresult(0x800A0C03));
  EXPECT_EQ(DescribeHresult(JetError(3075)), "0x800A0C03 (engine error 3075)");
  EXPECT_EQ(DescribeHresult(MakeHresult(0x80041234)), "0x80041234");
}

// ---- Connection points ----------------------------------------------------

class IEvents : public virtual IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IEvents";
  virtual HRESULT OnThing(int value) = 0;
};

class Sink : public ComObject, public IEvents {
 public:
  Sink(int id, std::vector<int>* log, HRESULT result = S_OK, bool* destroyed = nullptr)
      : id_(id), log_(log), result_(result), destroyed_(destroyed) {}
  ~Sink() override {
    if (destroyed_) *destroyed_ = true;
  }
  HRESULT OnThing(int) override {
    log_->push_back(id_);
    if (onCall) onCall();
    if (throws) throw std::runtime_error("sink failed");
    return result_;
  }
  std::function<void()> onCall;
  bool throws = false;

 private:
  int id_;
  std::vector<int>* log_;
  HRESULT result_;
  bool* destroyed_;
};

using Point = ConnectionPoint<IEvents>;

HRESULT FireThing(Point& point) {
  return point.Fire([](IEvents& sink) { return sink.OnThing(1); });
}

uint32_t AdviseOrFail(Point& point, const ComPtr<Sink>& sink) {
  uint32_t cookie = 0;
  EXPECT_EQ(point.Advise(sink.get(), &cookie), S_OK);
  return cookie;
}

TEST(ConnectionPoint, AdviseFireAndStatus) {
  auto point = MakeObject<Point>();
  EXPECT_EQ(FireThing(*point), S_OK);  // no sinks

  std::vector<int> log;
  auto ok = MakeObject<Sink>(1, &log);
  auto failing = MakeObject<Sink>(2, &log, E_FAIL);
  auto throwing = MakeObject<Sink>(3, &log);
  throwing->throws = true;
  auto negative = MakeObject<Sink>(4, &log, S_FALSE);
  EXPECT_EQ(AdviseOrFail(*point, ok), 1u);
  EXPECT_EQ(AdviseOrFail(*point, failing), 2u);
  EXPECT_EQ(AdviseOrFail(*point, throwing), 3u);
  EXPECT_EQ(AdviseOrFail(*point, negative), 4u);

  // Failures do not stop the loop; the last sink's status is the answer.
  EXPECT_EQ(FireThing(*point), S_FALSE);
  EXPECT_EQ(log, (std::vector<int>{1, 2, 3, 4}));

  EXPECT_EQ(point->Unadvise(4), S_OK);
  log.clear();
  EXPECT_EQ(FireThing(*point), E_UNEXPECTED);  // the throwing sink is now last
  EXPECT_EQ(log, (std::vector<int>{1, 2, 3}));

  // Cookies are never reused.
  EXPECT_EQ(AdviseOrFail(*point, negative), 5u);
  EXPECT_EQ(point->size(), 4u);
  EXPECT_EQ(point->Sinks().back().get(), static_cast<IEvents*>(negative.get()));
}

TEST(ConnectionPoint, AdviseUnadviseAndRelease) {
  auto point = MakeObject<Point>();
  uint32_t cookie = 0;
  auto stranger = MakeObject<FooBar>();
  EXPECT_EQ(point->Advise(stranger.get(), &cookie), CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(point->Advise(nullptr, &cookie), E_POINTER);
  std::vector<int> log;
  bool destroyed = false;
  auto sink = MakeObject<Sink>(1, &log, S_OK, &destroyed);

  EXPECT_EQ(point->Unadvise(0), CONNECT_E_NOCONNECTION);
  cookie = AdviseOrFail(*point, sink);
  sink.reset();
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(point->Unadvise(cookie), S_OK);  // releases the sink
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);

  destroyed = false;  // a point going away releases its sinks
  sink = MakeObject<Sink>(2, &log, S_OK, &destroyed);
  AdviseOrFail(*point, sink);
  sink.reset();
  point.reset();
  EXPECT_TRUE(destroyed);
}

TEST(ConnectionPoint, SinksMayUnadviseDuringFire) {
  auto point = MakeObject<Point>();
  std::vector<int> log;
  bool firstDestroyed = false;
  bool thirdDestroyed = false;
  uint32_t third = 0;
  {
    auto s1 = MakeObject<Sink>(1, &log, S_OK, &firstDestroyed);
    auto s2 = MakeObject<Sink>(2, &log);
    auto s3 = MakeObject<Sink>(3, &log, S_OK, &thirdDestroyed);
    auto s4 = MakeObject<Sink>(4, &log);
    const uint32_t first = AdviseOrFail(*point, s1);
    AdviseOrFail(*point, s2);
    third = AdviseOrFail(*point, s3);
    AdviseOrFail(*point, s4);
    Point* p = point.get();
    s1->onCall = [p, first] { EXPECT_EQ(p->Unadvise(first), S_OK); };  // itself
    s2->onCall = [p, third, done = false]() mutable {                   // a later one, once
      if (!std::exchange(done, true)) {
        EXPECT_EQ(p->Unadvise(third), S_OK);
      }
    };
  }
  // The point held the only references to sinks 1 and 3; unadvising them
  // mid-loop must neither crash nor cut the loop short.
  EXPECT_EQ(FireThing(*point), S_OK);
  EXPECT_TRUE(firstDestroyed);
  EXPECT_TRUE(thirdDestroyed);
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log.front(), 1);
  EXPECT_EQ(log.back(), 4);

  log.clear();
  EXPECT_EQ(FireThing(*point), S_OK);
  EXPECT_EQ(log, (std::vector<int>{2, 4}));
  EXPECT_EQ(point->Unadvise(third), CONNECT_E_NOCONNECTION);
}

// ---- Class registry -------------------------------------------------------

const char kFactoryClsid[] = "{5EFBB572-1CBD-47DA-8BBA-5BAB9CADD108}";

struct Registry {
  ClassRegistry registry;
  int factoriesMade = 0;

  Registry() {
    registry.Register({"LumLibFactory", *Guid::Parse(kFactoryClsid), "Zeph.TovLibFactory", "LumLibFactory Class",
                       true, [this] {
                         ++factoriesMade;
                         return ComPtr<IUnknown>(MakeObject<FooBar>());
                       }});
    registry.Register({"LumAlbum", Guid::Create(), "Zeph.TovAlbum", "LumAlbum Class", false,
                       [] { return ComPtr<IUnknown>(MakeObject<FooBar>()); }});
  }

  ComPtr<IUnknown> Create(std::string_view id, HRESULT expected = S_OK) {
    ComPtr<IUnknown> out = MakeObject<FooBar>();  // overwritten, even on failure
    EXPECT_EQ(registry.CreateInstance(id, nullptr, &out), expected) << id;
    if (expected != S_OK) {
      EXPECT_FALSE(out) << id;
    }
    return out;
  }
};

TEST(ClassRegistry, CreatesByClassIdProgIdOrName) {
  Registry r;
  const std::string lower = "{5efbb572-1cbd-47da-8bba-5bab9cadd108}";
  for (std::string_view id : {std::string_view(lower), std::string_view("zeph.tovlibfactory"),
                              std::string_view("ZEPH.TOVLIBFACTORY.1"), std::string_view("lumlibfactory")}) {
    ComPtr<IUnknown> object = r.Create(id);
    EXPECT_TRUE(QueryInterface<IFoo>(object)) << id;
  }
  EXPECT_TRUE(r.Create(r.registry.classes()[1].clsid.ToString()));

  for (std::string_view id : {"", "Zeph.TovLibFactory.2", "Zeph.TovLibFactory.", "Zeph.Tov",
                              "{5EFBB572-1CBD-47DA-8BBA-5BAB9CADD109}"}) {
    r.Create(id, REGDB_E_CLASSNOTREG);
  }
  EXPECT_EQ(r.registry.CreateInstance("LumAlbum", nullptr, nullptr), E_POINTER);
}

TEST(ClassRegistry, SingleInstanceAndAggregation) {
  Registry r;
  auto outer = MakeObject<FooBar>();
  ComPtr<IUnknown> out;
  EXPECT_EQ(r.registry.CreateInstance("LumAlbum", outer.get(), &out), CLASS_E_NOAGGREGATION);
  EXPECT_FALSE(out);
  EXPECT_EQ(r.factoriesMade, 0);

  ComPtr<IUnknown> f1 = r.Create("Zeph.TovLibFactory");
  ComPtr<IUnknown> f2 = r.Create(kFactoryClsid);
  f1.reset();
  ComPtr<IUnknown> f3 = r.Create("LumLibFactory");
  EXPECT_TRUE(f2);
  EXPECT_EQ(f2, f3);
  EXPECT_EQ(r.factoriesMade, 1);

  ComPtr<IUnknown> a1 = r.Create("Zeph.TovAlbum");
  ComPtr<IUnknown> a2 = r.Create("Zeph.TovAlbum");
  EXPECT_NE(a1, a2);
}

}  // namespace
}  // namespace albumcore::com
