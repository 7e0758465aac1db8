// A source's switch for the events it may hold back. The item collection's
// is on when the collection is made; SetNotify sets it; creating an item or
// a missing special album turns it off while the new record is prepared and
// on again afterwards, whatever it was before. It gates only the events
// fired "with notifications on" (OnAlbumCreated of CreateAlbumForItemCustom,
// OnAlbumDestroyed); every other event is fired regardless. The keyword
// collection's is off while DestroyMultiple destroys one keyword after
// another.
#pragma once

namespace albumcore::events {

class NotificationSwitch {
 public:
  bool on() const noexcept { return on_; }
  void Set(bool on) noexcept { on_ = on; }

  // Off for its lifetime, then on (not back to what it was).
  class OffWhile {
   public:
    explicit OffWhile(NotificationSwitch& s) noexcept : switch_(s) { switch_.on_ = false; }
    ~OffWhile() { switch_.on_ = true; }
    OffWhile(const OffWhile&) = delete;
    OffWhile& operator=(const OffWhile&) = delete;

   private:
    NotificationSwitch& switch_;
  };

 private:
  bool on_ = true;
};

}  // namespace albumcore::events
