// LumUserFieldsAlbum: the user fields one album shows (its visible set).
// Connected with the library's database, the AlbumID and the library-wide
// collection, which names the fields and whose events it hears.
//
// Cache: the visible FieldIDs in FieldID order, read on first use from
// "EnumUserFieldsInAlbum", or for the special albums (negative IDs) from
// "EnumUserFieldsInShoebox", which lists every field. MakeVisible and
// MakeHidden change it after their writes; a shown field makes the next
// use read it again.
//
// Events (after the write): one OnAlbumUserFieldsChanged per MakeVisible
// or MakeHidden that changed the set. It also follows the library's
// OnPreDestroyUserField of a field the album shows, and, for the special
// albums (-1 to -4), the library's OnUserFieldCreated.
//
// Statuses: S_OK; S_FALSE for a field not visible (IsPresent); E_INVALIDARG
// for an index out of range or fields of the wrong shape (another type, a
// negative single ID, an array of more than one dimension); E_POINTER for a
// null out-pointer or use before Connect; E_FAIL for forwarded operations
// without a library collection; the engine's status for a failing query
// (MakeVisible and MakeHidden then change nothing); CO_E_NOT_SUPPORTED for
// what only the library or items offer; E_NOTIMPL for _NewEnum. Main loop
// only.
#pragma once

#include <vector>

#include "events/event_source.h"
#include "store/dao/database.h"
#include "tagging/user_fields/library_link.h"
#include "typelib/kiv_user_fields.h"

namespace albumcore::tagging {

class LumUserFieldsAlbum final : public com::ComObject,
                                 public typelib::IKivUserFields,
                                 public events::AlbumCoreEventsSource {
 public:
  static constexpr std::string_view kClassName = "LumUserFieldsAlbum";

  LumUserFieldsAlbum() = default;

  com::HRESULT Connect(com::IUnknown* pConnection, int32_t lID, com::IUnknown* pUserFieldsEvents) override;
  com::HRESULT Disconnect() override;
  com::HRESULT Count(int32_t* plCount) override;
  com::HRESULT _NewEnum(com::ComPtr<com::IUnknown>* ppUnk) override;
  com::HRESULT EnumFieldIDs(int32_t lIndex, int32_t* plFieldID) override;
  com::HRESULT IsPresent(int32_t lFieldID) override;
  com::HRESULT FieldName(int32_t lFieldID, com::Bstr* pbstrName) override;
  com::HRESULT FieldType(int32_t lFieldID, int32_t* pType) override;
  com::HRESULT get_Value(int32_t lFieldID, com::Variant* pVal) override;
  com::HRESULT put_Value(int32_t lFieldID, const com::Variant& val) override;
  com::HRESULT Add(int32_t lFieldID, const com::Variant& val) override;
  com::HRESULT Remove(int32_t lFieldID) override;
  com::HRESULT Create(const com::Bstr& bstrName, int32_t Type) override;
  com::HRESULT Destroy(int32_t lFieldID) override;
  com::HRESULT get_Description(int32_t lFieldID, com::Bstr* pbstrDescription) override;
  com::HRESULT put_Description(int32_t lFieldID, const com::Bstr& bstrDescription) override;
  com::HRESULT GetFieldIDFromName(const com::Bstr& bstrName, int32_t* plFieldID) override;
  com::HRESULT MakeVisible(const com::Variant& fields) override;
  com::HRESULT MakeHidden(const com::Variant& fields) override;

 private:
  class LibrarySink;

  store::dao::Database& db() const { return link_.db(); }
  typelib::IKivUserFields& library() const { return link_.library(); }  // E_FAIL when none
  void Load();
  void Forget();
  // Shows or hides every field `fields` names, in one transaction.
  com::HRESULT ChangeVisible(const com::Variant& fields, bool show);
  void OnLibraryFieldCreated();
  void OnLibraryFieldDestroying(int32_t fieldID);
  void FireChanged();

  LibraryLink<LumUserFieldsAlbum> link_{"the album's"};
  int32_t albumID_ = -1;
  bool loaded_ = false;
  std::vector<int32_t> visible_;
};

}  // namespace albumcore::tagging
