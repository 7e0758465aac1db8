#include "dbus/standard_interfaces.h"

#include "dbus/remote_album_core_events.h"
#include "dbus/remote_thumbnail_generator_events.h"
#include "dbus/stubs/album_stub.h"
#include "dbus/stubs/connection_point_stub.h"
#include "dbus/stubs/device_album_stub.h"
#include "dbus/stubs/device_item_stub.h"
#include "dbus/stubs/item_collection_stub.h"
#include "dbus/stubs/item_stub.h"
#include "dbus/stubs/keywords_stub.h"
#include "dbus/stubs/lib_factory_stub.h"
#include "dbus/stubs/library_stub.h"
#include "dbus/stubs/thumbnail_generator_stub.h"
#include "dbus/stubs/type_descriptor_stubs.h"
#include "dbus/stubs/user_fields_stub.h"

namespace albumcore::dbus {

void RegisterStandardInterfaces(ServerBinding& binding) {
  binding.AddInterface<com::IConnectionPointContainer, ConnectionPointStub>();
  binding.AddInterface<typelib::IKivLibFactory, LibFactoryStub>();
  binding.AddInterface<typelib::IKivKeywords, KeywordsStub>();
  binding.AddInterface<typelib::IKivUserFields, UserFieldsStub>();
  binding.AddInterface<typelib::IKivItemCollection, ItemCollectionStub>();
  binding.AddInterface<typelib::IKivItem, ItemStub>();
  binding.AddInterface<typelib::IKivPhotoItem, PhotoItemStub>();
  binding.AddInterface<typelib::IKivDeviceItem, DeviceItemStub>();
  binding.AddInterface<typelib::IKivThumbnailGenerator, ThumbnailGeneratorStub>();
  binding.AddInterface<typelib::IKivLibrary, LibraryStub>();
  binding.AddInterface<typelib::IKivAlbum, AlbumStub>();
  binding.AddInterface<typelib::IKivItemEnumerator, ItemEnumeratorStub>();
  binding.AddInterface<typelib::IKivDeviceAlbum, DeviceAlbumStub>();
  binding.AddInterface<typelib::IKiTypePropertiesDescriptor, TypePropertiesDescriptorStub>();
  binding.AddInterface<typelib::IKiGenericTypeDescriptor, GenericTypeDescriptorStub>();
  binding.AddInterface<typelib::IItemCollectionOwner, ItemCollectionOwnerStub>();
  binding.AddSinkInterface(std::string(typelib::IKivAlbumCoreEvents::kInterfaceName), MakeRemoteAlbumCoreEventsSink);
  binding.AddSinkInterface(std::string(typelib::IKivThumbnailGeneratorEvents::kInterfaceName),
                           MakeRemoteThumbnailGeneratorEventsSink);
}

}  // namespace albumcore::dbus
