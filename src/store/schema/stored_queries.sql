-- The stored queries of the catalogue, in Jet SQL, as the build stores them
-- in table MSysQueries (catalogue.sql declares it).
--
-- Each query is called by name with its parameters bound by name. A
-- bracketed name that is not a column is a parameter; parameters appear in
-- the text in the order callers list them. Action queries are one INSERT,
-- UPDATE or DELETE; row queries are one SELECT. The comment above each gives
-- its parameters, what it returns or does, and what callers rely on.
--
-- The SQL is kept on one line per query: the text between the quotes is
-- stored byte for byte, in the template and, for queries an older catalogue
-- lacks, by the upgrade, which reads them from this file as the build
-- embedded it.

------------------------------------------------------------------------------
-- Items
------------------------------------------------------------------------------

-- (item_id) rows: the item's AlbumItems row, updatable; every column is read.
INSERT INTO MSysQueries (Name, SQL) VALUES ('GetItemRecord',
'SELECT * FROM AlbumItems WHERE ItemID = [item_id];');

-- (item_id) rows: the item's PhotoItem row, updatable (cx .. Genre are read
-- and written through it). One table, so that the recordset stays editable.
INSERT INTO MSysQueries (Name, SQL) VALUES ('GetPhotoItemRecord',
'SELECT * FROM PhotoItem WHERE ItemID = [item_id];');

-- (item_id) rows: the DeviceItems row whose ID (not ItemID) is the argument.
INSERT INTO MSysQueries (Name, SQL) VALUES ('GetDeviceItemRecord',
'SELECT * FROM DeviceItems WHERE ID=[item_id];');

-- (varThumbMoniker, item_id) action.
INSERT INTO MSysQueries (Name, SQL) VALUES ('SetItemThumbnailMoniker',
'UPDATE AlbumItems SET ItemThumbMoniker = [varThumbMoniker] WHERE ItemID = [item_id];');

-- (item_id) action: removes the item row and every row that depends on it
-- (DeviceItems through Rel1, the rest through AlbumItems_DeleteDependents).
INSERT INTO MSysQueries (Name, SQL) VALUES ('DestroyItem',
'DELETE * FROM AlbumItems WHERE AlbumItems.ItemID = [item_id];');

-- (item_id, album_id) rows: a row when the item is in some album other than
-- album_id (the MRU album, whose membership does not count).
INSERT INTO MSysQueries (Name, SQL) VALUES ('HasParents',
'SELECT AlbumContents.AlbumID FROM AlbumContents WHERE AlbumContents.ItemID = [item_id] AND AlbumContents.AlbumID <> [album_id];');

-- (item_id) rows: a row when the item has an Albums row of its own (an album,
-- or a playlist item). Column 0: the AlbumID.
INSERT INTO MSysQueries (Name, SQL) VALUES ('IsAlbum',
'SELECT Albums.AlbumID FROM Albums WHERE Albums.AlbumID = [item_id];');

------------------------------------------------------------------------------
-- Albums
------------------------------------------------------------------------------

-- (album_id) rows: the album's Albums row, updatable (CustomSort is read and
-- written through it). One table, so that the recordset stays editable; the
-- album's item columns come from "GetItemRecord".
INSERT INTO MSysQueries (Name, SQL) VALUES ('GetAlbumRecord',
'SELECT * FROM Albums WHERE Albums.AlbumID = [album_id];');

-- (album_id) rows: the record of a virtual album (-1 .. -4), updatable
-- (CustomSort); the template holds one row per virtual album.
INSERT INTO MSysQueries (Name, SQL) VALUES ('GetSpecialAlbumRecord',
'SELECT * FROM SpecialAlbumProperties WHERE SpecialAlbumProperties.AlbumID = [album_id];');

-- (album_type) rows: column 0 is the AlbumID of the album of that special type.
INSERT INTO MSysQueries (Name, SQL) VALUES ('GetSpecialAlbum',
'SELECT SpecialAlbums.AlbumID FROM SpecialAlbums WHERE SpecialAlbums.Type = [album_type];');

-- (album_type, album_id) action: records the album as the one of that type.
INSERT INTO MSysQueries (Name, SQL) VALUES ('AddSpecialAlbum',
'INSERT INTO SpecialAlbums ( Type, AlbumID ) SELECT [album_type], [album_id];');

-- (album_id) rows: column 0 is the special type; no row for other albums.
INSERT INTO MSysQueries (Name, SQL) VALUES ('GetSpecialAlbumType',
'SELECT SpecialAlbums.Type FROM SpecialAlbums WHERE SpecialAlbums.AlbumID = [album_id];');

-- (album_id) rows: column 0 is the item type of the album's own item (9 for
-- an album, 22 for a playlist); no row when album_id has no Albums row.
INSERT INTO MSysQueries (Name, SQL) VALUES ('GetItemAlbumType',
'SELECT AlbumItems.ItemType FROM AlbumItems INNER JOIN Albums ON AlbumItems.ItemID = Albums.AlbumID WHERE Albums.AlbumID = [album_id];');

-- (album_id, varFieldName) rows: a row when a child album of album_id already
-- has that name (ignoring case: Name is a JETNOCASE column); no row means
-- the name is free.
INSERT INTO MSysQueries (Name, SQL) VALUES ('IsAlbumNameUnique',
'SELECT AlbumItems.ItemID FROM AlbumContents INNER JOIN AlbumItems ON AlbumContents.ItemID = AlbumItems.ItemID WHERE AlbumContents.AlbumID = [album_id] AND AlbumItems.ItemType = 9 AND AlbumItems.Name = [varFieldName];');

-- (item_id) rows: a row when the item is an album directly inside the MRU
-- album (special type 3), i.e. an MRU section.
INSERT INTO MSysQueries (Name, SQL) VALUES ('IsMRUSection',
'SELECT AlbumContents.ItemID FROM (AlbumContents INNER JOIN SpecialAlbums ON AlbumContents.AlbumID = SpecialAlbums.AlbumID) INNER JOIN AlbumItems ON AlbumContents.ItemID = AlbumItems.ItemID WHERE AlbumContents.ItemID = [item_id] AND SpecialAlbums.Type = 3 AND AlbumItems.ItemType = 9;');

-- (item_id) rows: column 0 is the ID of each album holding the item.
INSERT INTO MSysQueries (Name, SQL) VALUES ('EnumerateParentAlbums',
'SELECT AlbumContents.AlbumID FROM AlbumContents WHERE AlbumContents.ItemID = [item_id];');

-- (album_id) rows: column 0 is the ID of each member that is an album
-- (item type 9), by name.
INSERT INTO MSysQueries (Name, SQL) VALUES ('EnumerateChildAlbums',
'SELECT AlbumItems.ItemID FROM AlbumContents INNER JOIN AlbumItems ON AlbumContents.ItemID = AlbumItems.ItemID WHERE AlbumContents.AlbumID = [album_id] AND AlbumItems.ItemType = 9 ORDER BY AlbumItems.Name;');

-- (album_id) rows: column 0 is the ID of each member that is not an album,
-- by name.
INSERT INTO MSysQueries (Name, SQL) VALUES ('EnumerateChildItems',
'SELECT AlbumItems.ItemID FROM AlbumContents INNER JOIN AlbumItems ON AlbumContents.ItemID = AlbumItems.ItemID WHERE AlbumContents.AlbumID = [album_id] AND AlbumItems.ItemType <> 9 ORDER BY AlbumItems.Name;');

-- (item_id, album_id, album_id2) rows: a row when the item is in an album
-- other than album_id (this album) and album_id2 (the MRU album).
INSERT INTO MSysQueries (Name, SQL) VALUES ('HasOtherParents',
'SELECT AlbumContents.AlbumID FROM AlbumContents WHERE AlbumContents.ItemID = [item_id] AND AlbumContents.AlbumID <> [album_id] AND AlbumContents.AlbumID <> [album_id2];');

-- (album_id, item_id) action: adds the membership; adding an existing one
-- changes nothing (the key ignores the duplicate).
INSERT INTO MSysQueries (Name, SQL) VALUES ('AddItemToAlbum',
'INSERT INTO AlbumContents ( AlbumID, ItemID ) SELECT [album_id], [item_id];');

-- (album_id, item_id) action.
INSERT INTO MSysQueries (Name, SQL) VALUES ('RemoveItemFromAlbum',
'DELETE * FROM AlbumContents WHERE AlbumContents.AlbumID = [album_id] AND AlbumContents.ItemID = [item_id];');

-- (album_id) action: deletes the album's Albums row only; the caller has
-- emptied the album and destroys its item next.
INSERT INTO MSysQueries (Name, SQL) VALUES ('DestroyAlbum',
'DELETE * FROM Albums WHERE Albums.AlbumID = [album_id];');

-- (album_id) action: makes every search result a member of the album (the
-- album itself excepted; existing members stay once).
INSERT INTO MSysQueries (Name, SQL) VALUES ('PopulateFromSearchResults',
'INSERT INTO AlbumContents ( AlbumID, ItemID ) SELECT [album_id], SearchResults.ItemID FROM SearchResults WHERE SearchResults.ItemID <> [album_id];');

------------------------------------------------------------------------------
-- Search results
------------------------------------------------------------------------------

-- (item_id) action.
INSERT INTO MSysQueries (Name, SQL) VALUES ('AddItemToSearchResults',
'INSERT INTO SearchResults ( ItemID ) SELECT [item_id];');

-- (item_id) action.
INSERT INTO MSysQueries (Name, SQL) VALUES ('RemoveItemFromSearchResults',
'DELETE * FROM SearchResults WHERE SearchResults.ItemID = [item_id];');

-- () action: deletes every row of SearchResults.
INSERT INTO MSysQueries (Name, SQL) VALUES ('ClearSearchResults',
'DELETE * FROM SearchResults;');

------------------------------------------------------------------------------
-- Most recently used
------------------------------------------------------------------------------

-- (album_id) rows: the members of an MRU section, least recently used first
-- (members without an MRUList row count as oldest); column 0 is the ItemID.
INSERT INTO MSysQueries (Name, SQL) VALUES ('FirstAdded',
'SELECT AlbumContents.ItemID FROM AlbumContents LEFT JOIN MRUList ON AlbumContents.ItemID = MRUList.ItemID WHERE AlbumContents.AlbumID = [album_id] ORDER BY MRUList.LastUsed, AlbumContents.ItemID;');

-- (item_id, varDateModified) action: adds the item's MRUList row with that
-- time; an existing row is kept (its caller has already updated LastUsed).
INSERT INTO MSysQueries (Name, SQL) VALUES ('AddItemToMRU',
'INSERT INTO MRUList ( ItemID, LastUsed ) SELECT [item_id], [varDateModified];');

------------------------------------------------------------------------------
-- Device items. DeviceItems triggers keep the AlbumContents row of the pair.
------------------------------------------------------------------------------

-- (item_id, album_id) action.
INSERT INTO MSysQueries (Name, SQL) VALUES ('AddDeviceItem',
'INSERT INTO DeviceItems ( ItemID, AlbumID ) SELECT [item_id], [album_id];');

-- (album_id, item_id) action.
INSERT INTO MSysQueries (Name, SQL) VALUES ('RemoveDeviceItem',
'DELETE * FROM DeviceItems WHERE AlbumID = [album_id] AND ItemID = [item_id];');

------------------------------------------------------------------------------
-- Keywords
------------------------------------------------------------------------------

-- (item_id, varKeywordID) action: one AssignedKeywords row.
INSERT INTO MSysQueries (Name, SQL) VALUES ('AssignKeyword',
'INSERT INTO AssignedKeywords ( ItemID, KeywordID ) SELECT [item_id], [varKeywordID];');

-- (item_id, varKeywordID) action: that AssignedKeywords row goes.
INSERT INTO MSysQueries (Name, SQL) VALUES ('RemoveKeyword',
'DELETE * FROM AssignedKeywords WHERE AssignedKeywords.ItemID = [item_id] AND AssignedKeywords.KeywordID = [varKeywordID];');

-- (item_id) rows: column 0 is the KeywordID of each keyword of the item, by
-- keyword name.
INSERT INTO MSysQueries (Name, SQL) VALUES ('EnumItemKeywords',
'SELECT AssignedKeywords.KeywordID FROM AssignedKeywords INNER JOIN Keywords ON AssignedKeywords.KeywordID = Keywords.KeywordID WHERE AssignedKeywords.ItemID = [item_id] ORDER BY Keywords.KeywordName;');

-- (varKeywordName) rows: column 0 is the KeywordID of the keyword of that
-- name, ignoring case.
INSERT INTO MSysQueries (Name, SQL) VALUES ('FindKeyword',
'SELECT Keywords.KeywordID FROM Keywords WHERE Keywords.KeywordName = [varKeywordName];');

-- (varKeywordID) rows: one row, column 0 the number of items carrying it.
INSERT INTO MSysQueries (Name, SQL) VALUES ('IsKeywordAssigned',
'SELECT Count(*) AS AssignedCount FROM AssignedKeywords WHERE AssignedKeywords.KeywordID = [varKeywordID];');

-- () rows: column 0 KeywordID, column 1 KeywordName, by name.
INSERT INTO MSysQueries (Name, SQL) VALUES ('EnumKeywordsInLibrary',
'SELECT Keywords.KeywordID, Keywords.KeywordName FROM Keywords ORDER BY Keywords.KeywordName;');

------------------------------------------------------------------------------
-- User field definitions and visibility
------------------------------------------------------------------------------

-- (varFieldName, varFieldType) action.
INSERT INTO MSysQueries (Name, SQL) VALUES ('CreateUserField',
'INSERT INTO UserFields ( FieldName, FieldType ) SELECT [varFieldName], [varFieldType];');

-- (varFieldID) action: the field, its values and its visibility rows go
-- (UserFields_DeleteDependents).
INSERT INTO MSysQueries (Name, SQL) VALUES ('DestroyUserField',
'DELETE * FROM UserFields WHERE UserFields.FieldID = [varFieldID];');

-- (varFieldID) rows: the UserFields row, updatable (Description is written).
INSERT INTO MSysQueries (Name, SQL) VALUES ('GetUserFieldRecord',
'SELECT * FROM UserFields WHERE UserFields.FieldID = [varFieldID];');

-- () rows: column 0 FieldID, 1 FieldType, 2 FieldName, 3 Description.
INSERT INTO MSysQueries (Name, SQL) VALUES ('EnumUserFieldsInLibrary',
'SELECT UserFields.FieldID, UserFields.FieldType, UserFields.FieldName, UserFields.Description FROM UserFields ORDER BY UserFields.FieldID;');

-- (album_id) rows: column 0 is each FieldID visible in the album.
INSERT INTO MSysQueries (Name, SQL) VALUES ('EnumUserFieldsInAlbum',
'SELECT VisibleUserFields.FieldID FROM VisibleUserFields INNER JOIN UserFields ON VisibleUserFields.FieldID = UserFields.FieldID WHERE VisibleUserFields.AlbumID = [album_id] ORDER BY VisibleUserFields.FieldID;');

-- () rows: the fields of the virtual albums: every defined field (column 0).
INSERT INTO MSysQueries (Name, SQL) VALUES ('EnumUserFieldsInShoebox',
'SELECT UserFields.FieldID FROM UserFields ORDER BY UserFields.FieldID;');

-- (album_id, varFieldID) action.
INSERT INTO MSysQueries (Name, SQL) VALUES ('ShowUserField',
'INSERT INTO VisibleUserFields ( AlbumID, FieldID ) SELECT [album_id], [varFieldID];');

-- (album_id, varFieldID) action.
INSERT INTO MSysQueries (Name, SQL) VALUES ('HideUserField',
'DELETE * FROM VisibleUserFields WHERE VisibleUserFields.AlbumID = [album_id] AND VisibleUserFields.FieldID = [varFieldID];');

------------------------------------------------------------------------------
-- User field values, one family per field type, all of one shape:
--   EnumItemUserFields<T> (item_id) rows: ItemID, FieldID, FieldValue
--   AssignUserField<T> (item_id, varFieldID) action: adds the row, no value
--   RemoveUserField<T> (item_id, varFieldID) action
--   SetFieldValue<T> (varFieldValue, item_id, varFieldID) action
------------------------------------------------------------------------------

INSERT INTO MSysQueries (Name, SQL) VALUES ('EnumItemUserFieldsText',
'SELECT * FROM AssignedFieldsText WHERE ItemID = [item_id];');
INSERT INTO MSysQueries (Name, SQL) VALUES ('AssignUserFieldText',
'INSERT INTO AssignedFieldsText ( ItemID, FieldID ) SELECT [item_id], [varFieldID];');
INSERT INTO MSysQueries (Name, SQL) VALUES ('RemoveUserFieldText',
'DELETE * FROM AssignedFieldsText WHERE ItemID = [item_id] AND FieldID = [varFieldID];');
INSERT INTO MSysQueries (Name, SQL) VALUES ('SetFieldValueText',
'UPDATE AssignedFieldsText SET FieldValue = [varFieldValue] WHERE ItemID = [item_id] AND FieldID = [varFieldID];');

INSERT INTO MSysQueries (Name, SQL) VALUES ('EnumItemUserFieldsNumber',
'SELECT * FROM AssignedFieldsNumber WHERE ItemID = [item_id];');
INSERT INTO MSysQueries (Name, SQL) VALUES ('AssignUserFieldNumber',
'INSERT INTO AssignedFieldsNumber ( ItemID, FieldID ) SELECT [item_id], [varFieldID];');
INSERT INTO MSysQueries (Name, SQL) VALUES ('RemoveUserFieldNumber',
'DELETE * FROM AssignedFieldsNumber WHERE ItemID = [item_id] AND FieldID = [varFieldID];');
INSERT INTO MSysQueries (Name, SQL) VALUES ('SetFieldValueNumber',
'UPDATE AssignedFieldsNumber SET FieldValue = [varFieldValue] WHERE ItemID = [item_id] AND FieldID = [varFieldID];');

INSERT INTO MSysQueries (Name, SQL) VALUES ('EnumItemUserFieldsDate',
'SELECT * FROM AssignedFieldsDate WHERE ItemID = [item_id];');
INSERT INTO MSysQueries (Name, SQL) VALUES ('AssignUserFieldDate',
'INSERT INTO AssignedFieldsDate ( ItemID, FieldID ) SELECT [item_id], [varFieldID];');
INSERT INTO MSysQueries (Name, SQL) VALUES ('RemoveUserFieldDate',
'DELETE * FROM AssignedFieldsDate WHERE ItemID = [item_id] AND FieldID = [varFieldID];');
INSERT INTO MSysQueries (Name, SQL) VALUES ('SetFieldValueDate',
'UPDATE AssignedFieldsDate SET FieldValue = [varFieldValue] WHERE ItemID = [item_id] AND FieldID = [varFieldID];');

INSERT INTO MSysQueries (Name, SQL) VALUES ('EnumItemUserFieldsYesNo',
'SELECT * FROM AssignedFieldsYesNo WHERE ItemID = [item_id];');
INSERT INTO MSysQueries (Name, SQL) VALUES ('AssignUserFieldYesNo',
'INSERT INTO AssignedFieldsYesNo ( ItemID, FieldID ) SELECT [item_id], [varFieldID];');
INSERT INTO MSysQueries (Name, SQL) VALUES ('RemoveUserFieldYesNo',
'DELETE * FROM AssignedFieldsYesNo WHERE ItemID = [item_id] AND FieldID = [varFieldID];');
INSERT INTO MSysQueries (Name, SQL) VALUES ('SetFieldValueYesNo',
'UPDATE AssignedFieldsYesNo SET FieldValue = [varFieldValue] WHERE ItemID = [item_id] AND FieldID = [varFieldID];');

INSERT INTO MSysQueries (Name, SQL) VALUES ('EnumItemUserFieldsOnOff',
'SELECT * FROM AssignedFieldsOnOff WHERE ItemID = [item_id];');
INSERT INTO MSysQueries (Name, SQL) VALUES ('AssignUserFieldOnOff',
'INSERT INTO AssignedFieldsOnOff ( ItemID, FieldID ) SELECT [item_id], [varFieldID];');
INSERT INTO MSysQueries (Name, SQL) VALUES ('RemoveUserFieldOnOff',
'DELETE * FROM AssignedFieldsOnOff WHERE ItemID = [item_id] AND FieldID = [varFieldID];');
INSERT INTO MSysQueries (Name, SQL) VALUES ('SetFieldValueOnOff',
'UPDATE AssignedFieldsOnOff SET FieldValue = [varFieldValue] WHERE ItemID = [item_id] AND FieldID = [varFieldID];');

INSERT INTO MSysQueries (Name, SQL) VALUES ('EnumItemUserFieldsMemo',
'SELECT * FROM AssignedFieldsMemo WHERE ItemID = [item_id];');
INSERT INTO MSysQueries (Name, SQL) VALUES ('AssignUserFieldMemo',
'INSERT INTO AssignedFieldsMemo ( ItemID, FieldID ) SELECT [item_id], [varFieldID];');
INSERT INTO MSysQueries (Name, SQL) VALUES ('RemoveUserFieldMemo',
'DELETE * FROM AssignedFieldsMemo WHERE ItemID = [item_id] AND FieldID = [varFieldID];');
INSERT INTO MSysQueries (Name, SQL) VALUES ('SetFieldValueMemo',
'UPDATE AssignedFieldsMemo SET FieldValue = [varFieldValue] WHERE ItemID = [item_id] AND FieldID = [varFieldID];');

------------------------------------------------------------------------------
-- Secret words
------------------------------------------------------------------------------

-- (varGUID, varName, varExpiry, varTemplateId, varPassword) action: one
-- SecretWords row.
INSERT INTO MSysQueries (Name, SQL) VALUES ('CreateSecretWord',
'INSERT INTO SecretWords ( wordGUID, Name, Expiry, TemplateID, SwPassword ) SELECT [varGUID], [varName], [varExpiry], [varTemplateId], [varPassword];');

-- (varGUID) action: the word and its associations go
-- (SecretWords_DeleteDependents).
INSERT INTO MSysQueries (Name, SQL) VALUES ('DeleteSecretWord',
'DELETE * FROM SecretWords WHERE SecretWords.wordGUID = [varGUID];');
