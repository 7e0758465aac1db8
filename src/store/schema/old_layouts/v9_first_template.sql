-- Frozen catalogue layout: the first template of layout 9, as new libraries
-- were made before every text column stated its collation. Kept to build old
-- files for the upgrade tests (albumcore_make_template --layout). Never edit
-- it to follow the current layout; catalogue.sql and stored_queries.sql hold
-- that.
--
-- Against the current layout, its text columns other than the name columns
-- declare no collation (so they compare exactly, also where people's text
-- is meant to compare ignoring case). Its stored queries follow the
-- catalogue, in the same file.

-- The catalogue layout: every table, index and trigger of a library file.
--
-- This file is the one declaration of the current layout. The build runs it,
-- then stored_queries.sql, into a fresh SQLite file (albumcore_make_template)
-- and installs the result as CatalogueTemplate.db, the file every new library
-- is copied from. Older layouts live frozen under old_layouts/ and are never
-- edited; a change here is a new layout version and needs an upgrade step.
--
-- Column types. Declared types keep the Jet type visible and give SQLite the
-- right affinity; the translator reads the Jet type back from them:
--   INTEGER PRIMARY KEY AUTOINCREMENT   counter (AutoNumber)
--   INTEGER                             32-bit Long (all ...ID columns)
--   DOUBLE                              Double
--   DATETIME DOUBLE                     Date, stored as an automation date
--   YESNO INTEGER NOT NULL DEFAULT 0    Yes/No, stored as -1 / 0
--   TEXT(n)                             Text of at most n characters
--   LONGTEXT                            Memo (text affinity: "00123" stays text)
--   LONGBINARY BLOB                     Long binary
-- Monikers and paths are LONGTEXT: a POSIX path may be longer than 255.
--
-- Collations. Text that people type as a name compares ignoring case:
-- AlbumItems.Name (album and item names), Keywords.KeywordName,
-- UserFields.FieldName, SmartViews.Name, SecretWords.Name and UPnPDevices.MAC
-- are declared COLLATE JETNOCASE, the Unicode case-folding collation that the
-- engine layer registers on every connection. Everything else (monikers,
-- paths, GUIDs, RequestIDs, file unique IDs) compares exactly (BINARY).
-- Whoever opens a catalogue without the engine layer must register JETNOCASE
-- first (the sqlite3 shell: .load libalbumcore_sqlite_ext), or statements
-- comparing those columns fail with "no such collation sequence".
--
-- Column order is part of the layout: the copy from an older catalogue runs
-- "INSERT INTO t SELECT * FROM t IN <old file>", so every table keeps the
-- column order of its older layouts and later columns only ever go at the
-- end (AudioItem.AlbumArtist, Albums.AlbumIcon, Albums.AlbumType).
--
-- Keys whose duplicates mean "already there" (membership, assignments,
-- visibility, MRU and search-result rows) are declared ON CONFLICT IGNORE:
-- adding a row that exists is a no-op, as the callers expect (the MRU adds
-- an item to its album without checking membership; a keyword Bind inserts
-- every pair; a search inserts every match), and a bulk copy of old rows
-- drops duplicates instead of failing half-way.
--
-- Dependent rows. Destroying an item is one statement ("DestroyItem":
-- DELETE * FROM AlbumItems WHERE ItemID = [item_id]); the rows that depend
-- on the item go with it:
--   1. DeviceItems rows of the item, through relation Rel1, the one foreign
--      key of the catalogue (ON DELETE CASCADE; the engine layer switches
--      PRAGMA foreign_keys on for every connection).
--   2. Everything else, through trigger AlbumItems_DeleteDependents. The
--      other dependents are not foreign keys on purpose: catalogues carried
--      over from older versions hold orphan rows that a foreign key would
--      refuse in the bulk copy (SQLite cannot skip foreign-key violations
--      the way it skips duplicate keys), the virtual albums (-1 .. -4) have
--      rows in SpecialAlbumProperties and VisibleUserFields without an item,
--      and a trigger can be added to an existing file while a foreign key
--      cannot.
-- Destroying a user field ("DestroyUserField") and a secret word
-- ("DeleteSecretWord") are single statements too; triggers remove their
-- values, visibility rows and associations.
--
-- Device membership. A device sub-album lists its members through
-- AlbumContents but writes them with "AddDeviceItem"/"RemoveDeviceItem",
-- which touch DeviceItems only. Triggers DeviceItems_AddMembership and
-- DeviceItems_RemoveMembership keep the AlbumContents row of each
-- (AlbumID, ItemID) pair present exactly while a DeviceItems row for it is.

------------------------------------------------------------------------------
-- Items and albums
------------------------------------------------------------------------------

-- One row per catalogue item; every album is an item of type 9 too.
CREATE TABLE AlbumItems (
  ItemID            INTEGER PRIMARY KEY AUTOINCREMENT,
  ItemType          INTEGER NOT NULL DEFAULT 0,
  ItemDataMoniker   LONGTEXT,
  ItemThumbMoniker  LONGTEXT,
  DateCreated       DATETIME DOUBLE,
  DateModified      DATETIME DOUBLE,
  Name              TEXT(255) COLLATE JETNOCASE,
  Filename          TEXT(255),
  Note              LONGTEXT,
  Size              INTEGER DEFAULT 0,          -- low 32 bits of the file size
  BigSize           INTEGER DEFAULT 0,          -- high 32 bits
  SoundMoniker      LONGTEXT,
  ReadOnly          YESNO INTEGER NOT NULL DEFAULT 0,
  Protected         YESNO INTEGER NOT NULL DEFAULT 0,
  Hidden            YESNO INTEGER NOT NULL DEFAULT 0,
  Playable          YESNO INTEGER NOT NULL DEFAULT 0,
  Archived          YESNO INTEGER NOT NULL DEFAULT 0,
  BackedUp          YESNO INTEGER NOT NULL DEFAULT 0,
  Rating            INTEGER DEFAULT 0,
  DataXML           LONGTEXT,
  FileUniqueID      TEXT(255)
);
CREATE INDEX AlbumItems_ItemDataMoniker ON AlbumItems (ItemDataMoniker);
CREATE INDEX AlbumItems_FileUniqueID ON AlbumItems (FileUniqueID);
CREATE INDEX AlbumItems_ItemType ON AlbumItems (ItemType);
CREATE INDEX AlbumItems_Name ON AlbumItems (Name);

-- One row per album (AlbumID = the album's ItemID). CustomSort packs the
-- client's order as little-endian 32-bit IDs.
CREATE TABLE Albums (
  AlbumID     INTEGER PRIMARY KEY,
  CustomSort  LONGBINARY BLOB,
  AlbumIcon   LONGTEXT,
  AlbumType   INTEGER DEFAULT 0                 -- DruCustomAlbumType
);

-- Membership: one row per item in an album.
CREATE TABLE AlbumContents (
  AlbumID  INTEGER NOT NULL,
  ItemID   INTEGER NOT NULL,
  PRIMARY KEY (AlbumID, ItemID) ON CONFLICT IGNORE
);
CREATE INDEX AlbumContents_ItemID ON AlbumContents (ItemID);

-- The album playing each special role (Type: DruSpecialAlbumType, 0 bin ..
-- 6 devices); one album per role.
CREATE TABLE SpecialAlbums (
  AlbumID  INTEGER PRIMARY KEY,
  Type     INTEGER NOT NULL
);
CREATE UNIQUE INDEX SpecialAlbums_Type ON SpecialAlbums (Type);

-- Settings of the albums that have no Albums row: the virtual albums -1
-- shoebox, -2 search results, -3 all files, -4 all albums. Their record
-- ("GetSpecialAlbumRecord") carries the custom sort. The template holds one
-- row per virtual album; a copy from an older catalogue replaces them.
CREATE TABLE SpecialAlbumProperties (
  AlbumID     INTEGER PRIMARY KEY ON CONFLICT REPLACE,
  CustomSort  LONGBINARY BLOB
);
INSERT INTO SpecialAlbumProperties (AlbumID) VALUES (-1), (-2), (-3), (-4);

-- Recently used items and when each was last used. The caller refreshes
-- LastUsed of an existing row itself; "AddItemToMRU" only adds missing rows.
CREATE TABLE MRUList (
  ItemID    INTEGER PRIMARY KEY ON CONFLICT IGNORE,
  LastUsed  DATETIME DOUBLE
);

-- Items of the search-results album.
CREATE TABLE SearchResults (
  ItemID  INTEGER PRIMARY KEY ON CONFLICT IGNORE
);

-- Items placed on devices. Relation Rel1: deleting an item deletes its rows.
CREATE TABLE DeviceItems (
  ID              INTEGER PRIMARY KEY AUTOINCREMENT,
  ItemID          INTEGER NOT NULL,
  AlbumID         INTEGER NOT NULL,
  TranscodedPath  LONGTEXT,
  BackupPath      LONGTEXT,
  SyncDate        DATETIME DOUBLE,
  CONSTRAINT Rel1 FOREIGN KEY (ItemID) REFERENCES AlbumItems (ItemID) ON DELETE CASCADE
);
CREATE INDEX DeviceItems_ItemID ON DeviceItems (ItemID);
CREATE INDEX DeviceItems_AlbumID ON DeviceItems (AlbumID, ItemID);

------------------------------------------------------------------------------
-- Per-type item details: one row per item of that type
------------------------------------------------------------------------------

CREATE TABLE PhotoItem (
  ItemID      INTEGER PRIMARY KEY,
  cx          INTEGER DEFAULT 0,                -- 0: not measured
  cy          INTEGER DEFAULT 0,
  BitDepth    INTEGER DEFAULT 0,
  ColorSpace  INTEGER DEFAULT 0,
  dpi         INTEGER DEFAULT 0,
  Rotation    INTEGER DEFAULT 0,
  Author      TEXT(255),
  Place       TEXT(255),
  Event       TEXT(255),
  Genre       TEXT(255)
);

CREATE TABLE AudioItem (
  ItemID          INTEGER PRIMARY KEY,
  AudioType       INTEGER,
  FileSize        INTEGER,
  Duration        DOUBLE,
  AudioStreamsNo  INTEGER,
  Frequency       INTEGER,
  BitsPerSample   INTEGER,
  Channels        INTEGER,
  Tempo           DOUBLE,
  InfoFlags       INTEGER,
  Title           TEXT(255),
  Album           TEXT(255),
  Artist          TEXT(255),
  Composer        TEXT(255),
  Arranger        TEXT(255),
  TrackNo         INTEGER,
  BPM             INTEGER,
  YearOfRelease   INTEGER,
  Lyrics          LONGTEXT,
  LyricsBy        TEXT(255),
  Language        TEXT(255),
  Comments        LONGTEXT,
  Mood            TEXT(255),
  RecordLabel     TEXT(255),
  ISRC            TEXT(255),
  MoreInfoURL     LONGTEXT,
  PointIn         DOUBLE,
  PointOut        DOUBLE,
  IsScene         YESNO INTEGER NOT NULL DEFAULT 0,
  BitRate         INTEGER,
  MusicID         TEXT(255),
  Protected       YESNO INTEGER NOT NULL DEFAULT 0,
  AlbumArtist     TEXT(255)
);

-- Streams of an audio item; several rows per item.
CREATE TABLE AudioStream (
  ItemID         INTEGER NOT NULL,
  Name           TEXT(255),
  StreamNo       INTEGER,
  Frequency      INTEGER,
  BitsPerSample  INTEGER,
  Channels       INTEGER,
  Compression    INTEGER,
  CodecString    TEXT(255),
  Playtime       DOUBLE,
  StartOffset    DOUBLE,
  BitRate        INTEGER,
  InfoFlags      INTEGER,
  Tempo          DOUBLE,
  Title          TEXT(255),
  Album          TEXT(255),
  Artist         TEXT(255),
  Composer       TEXT(255),
  Arranger       TEXT(255),
  TrackNo        INTEGER,
  BPM            INTEGER,
  YearOfRelease  INTEGER,
  Lyrics         LONGTEXT,
  LyricsBy       TEXT(255),
  Language       TEXT(255),
  Comments       LONGTEXT,
  Mood           TEXT(255),
  RecordLabel    TEXT(255),
  ISRC           TEXT(255),
  MoreInfoURL    LONGTEXT
);
CREATE INDEX AudioStream_ItemID ON AudioStream (ItemID);

CREATE TABLE VideoItem (
  ItemID          INTEGER PRIMARY KEY,
  VideoType       INTEGER,
  FileSize        INTEGER,
  Duration        DOUBLE,
  ScenesNo        INTEGER,
  VideoStreamsNo  INTEGER,
  AudioStreamsNo  INTEGER,
  IsScene         YESNO INTEGER NOT NULL DEFAULT 0,
  PointIn         DOUBLE,
  PointOut        DOUBLE,
  Width           INTEGER,
  Height          INTEGER,
  FrameRate       DOUBLE,
  HasAudio        YESNO INTEGER NOT NULL DEFAULT 0,
  Author          TEXT(255),
  Place           TEXT(255),
  Event           TEXT(255),
  Protected       YESNO INTEGER NOT NULL DEFAULT 0
);

-- Streams of a video item; several rows per item.
CREATE TABLE VideoStream (
  ItemID           INTEGER NOT NULL,
  Name             TEXT(255),
  StreamNo         INTEGER,
  Width            INTEGER,
  Height           INTEGER,
  PixelFormat      INTEGER,
  CodecGUID        TEXT(38),
  FrameRate        DOUBLE,
  Interlaced       YESNO INTEGER NOT NULL DEFAULT 0,
  InterlaceOption  INTEGER,
  CodecString      TEXT(255),
  AspectRatio      DOUBLE
);
CREATE INDEX VideoStream_ItemID ON VideoStream (ItemID);

CREATE TABLE VideoEffect (
  ItemID         INTEGER PRIMARY KEY,
  UUID           TEXT(38),
  ImagePreviewA  LONGTEXT,
  ImagePreviewB  LONGTEXT,
  SubType        INTEGER,
  RenderType     INTEGER
);

CREATE TABLE Overlay (
  ItemID     INTEGER PRIMARY KEY,
  AlphaFile  LONGTEXT
);

CREATE TABLE DVDProject (
  ItemID         INTEGER PRIMARY KEY,
  ProjectType    INTEGER,
  EstimatedSize  DOUBLE,
  NumMenues      INTEGER,
  NumTitles      INTEGER,
  Standard       INTEGER
);

CREATE TABLE TqProduction (
  ItemID    INTEGER PRIMARY KEY,
  Duration  DOUBLE
);

------------------------------------------------------------------------------
-- Tagging
------------------------------------------------------------------------------

-- Keyword names are unique ignoring case; the keyword code checks that
-- itself, so old catalogues holding duplicates still copy.
CREATE TABLE Keywords (
  KeywordID    INTEGER PRIMARY KEY AUTOINCREMENT,
  KeywordName  TEXT(255) COLLATE JETNOCASE
);
CREATE INDEX Keywords_KeywordName ON Keywords (KeywordName);

CREATE TABLE AssignedKeywords (
  ItemID     INTEGER NOT NULL,
  KeywordID  INTEGER NOT NULL,
  PRIMARY KEY (ItemID, KeywordID) ON CONFLICT IGNORE
);
CREATE INDEX AssignedKeywords_KeywordID ON AssignedKeywords (KeywordID);

-- User field definitions. FieldType is an enumNaxFieldType (0 text, 1 number,
-- 2 date, 3 yes/no, 4 on/off, 5 memo), not validated. The column order is
-- the one "EnumUserFieldsInLibrary" returns.
CREATE TABLE UserFields (
  FieldID      INTEGER PRIMARY KEY AUTOINCREMENT,
  FieldType    INTEGER NOT NULL DEFAULT 0,
  FieldName    TEXT(255) COLLATE JETNOCASE,
  Description  LONGTEXT
);

-- Fields shown for an album. Virtual albums (negative IDs) may have rows.
CREATE TABLE VisibleUserFields (
  AlbumID  INTEGER NOT NULL,
  FieldID  INTEGER NOT NULL,
  PRIMARY KEY (AlbumID, FieldID) ON CONFLICT IGNORE
);
CREATE INDEX VisibleUserFields_FieldID ON VisibleUserFields (FieldID);

-- Values of user fields, one table per field type, one value per item and
-- field. FieldValue is nullable in every table: a field assigned without a
-- value reads back empty, also for yes/no and on/off.
CREATE TABLE AssignedFieldsText (
  ItemID      INTEGER NOT NULL,
  FieldID     INTEGER NOT NULL,
  FieldValue  TEXT(255),
  PRIMARY KEY (ItemID, FieldID) ON CONFLICT IGNORE
);
CREATE INDEX AssignedFieldsText_FieldID ON AssignedFieldsText (FieldID);

CREATE TABLE AssignedFieldsNumber (
  ItemID      INTEGER NOT NULL,
  FieldID     INTEGER NOT NULL,
  FieldValue  INTEGER,
  PRIMARY KEY (ItemID, FieldID) ON CONFLICT IGNORE
);
CREATE INDEX AssignedFieldsNumber_FieldID ON AssignedFieldsNumber (FieldID);

CREATE TABLE AssignedFieldsDate (
  ItemID      INTEGER NOT NULL,
  FieldID     INTEGER NOT NULL,
  FieldValue  DATETIME DOUBLE,
  PRIMARY KEY (ItemID, FieldID) ON CONFLICT IGNORE
);
CREATE INDEX AssignedFieldsDate_FieldID ON AssignedFieldsDate (FieldID);

CREATE TABLE AssignedFieldsYesNo (
  ItemID      INTEGER NOT NULL,
  FieldID     INTEGER NOT NULL,
  FieldValue  YESNO INTEGER,
  PRIMARY KEY (ItemID, FieldID) ON CONFLICT IGNORE
);
CREATE INDEX AssignedFieldsYesNo_FieldID ON AssignedFieldsYesNo (FieldID);

CREATE TABLE AssignedFieldsOnOff (
  ItemID      INTEGER NOT NULL,
  FieldID     INTEGER NOT NULL,
  FieldValue  YESNO INTEGER,
  PRIMARY KEY (ItemID, FieldID) ON CONFLICT IGNORE
);
CREATE INDEX AssignedFieldsOnOff_FieldID ON AssignedFieldsOnOff (FieldID);

CREATE TABLE AssignedFieldsMemo (
  ItemID      INTEGER NOT NULL,
  FieldID     INTEGER NOT NULL,
  FieldValue  LONGTEXT,
  PRIMARY KEY (ItemID, FieldID) ON CONFLICT IGNORE
);
CREATE INDEX AssignedFieldsMemo_FieldID ON AssignedFieldsMemo (FieldID);

------------------------------------------------------------------------------
-- Views, sharing, history
------------------------------------------------------------------------------

-- Stored views. Listing code reads columns 0..4 by position.
CREATE TABLE SmartViews (
  SmartViewID  INTEGER PRIMARY KEY AUTOINCREMENT,
  Name         TEXT(255) COLLATE JETNOCASE,
  RequestID    LONGTEXT,
  ReadOnly     YESNO INTEGER NOT NULL DEFAULT 0,
  Hidden       YESNO INTEGER NOT NULL DEFAULT 0,
  CategoryID   INTEGER DEFAULT 0
);

-- Secret words; Expiry is "Never" or an automation date as decimal text.
CREATE TABLE SecretWords (
  SecretWordID  INTEGER PRIMARY KEY AUTOINCREMENT,
  wordGUID      TEXT(255),
  Name          TEXT(255) COLLATE JETNOCASE,
  Expiry        TEXT(255),
  TemplateID    INTEGER,
  SwPassword    TEXT(255)
);
CREATE INDEX SecretWords_wordGUID ON SecretWords (wordGUID);

CREATE TABLE SecretWordAssociations (
  ID            INTEGER PRIMARY KEY AUTOINCREMENT,
  SecretWordID  INTEGER NOT NULL,
  RequestID     LONGTEXT,
  AlbumID       INTEGER
);
CREATE INDEX SecretWordAssociations_SecretWordID ON SecretWordAssociations (SecretWordID);

-- Network shares, devices and which device sees which restricted share. No
-- uniqueness: the same MAC, RequestID or mapping may be stored twice, and
-- removing a share or device leaves its mapping rows.
CREATE TABLE UPnPShares (
  ShareID     INTEGER PRIMARY KEY AUTOINCREMENT,
  RequestID   LONGTEXT,
  Restricted  YESNO INTEGER NOT NULL DEFAULT 0,
  Internal    YESNO INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE UPnPDevices (
  DeviceID                INTEGER PRIMARY KEY AUTOINCREMENT,
  UDN                     TEXT(255),
  MAC                     TEXT(255) COLLATE JETNOCASE,
  UserFriendlyTitleShort  TEXT(255),
  UserFriendlyTitleLong   TEXT(255),
  ManufacturerURL         LONGTEXT
);

CREATE TABLE UPnPDeviceMapping (
  ShareID   INTEGER NOT NULL,
  DeviceID  INTEGER NOT NULL
);
CREATE INDEX UPnPDeviceMapping_ShareID ON UPnPDeviceMapping (ShareID);
CREATE INDEX UPnPDeviceMapping_DeviceID ON UPnPDeviceMapping (DeviceID);

-- Recent search texts and sound monikers, oldest first in table (rowid)
-- order; no index, so a scan always walks them in that order.
CREATE TABLE MRUSearchStrings (
  SearchString  TEXT(255)
);

CREATE TABLE MRUSoundMonikers (
  SoundMoniker  LONGTEXT
);

------------------------------------------------------------------------------
-- Version and stored queries
------------------------------------------------------------------------------

-- The layout version that OpenDatabaseVersion reports: 9, the generation of
-- the suite this layout belongs to (the previous generation's catalogues
-- are carried over from their own folder). The build copies it into
-- PRAGMA user_version.
CREATE TABLE Misc (
  Version  INTEGER NOT NULL
);
INSERT INTO Misc (Version) VALUES (9);

-- Named parameter queries in Jet SQL (stored_queries.sql fills it). The
-- MSys prefix marks a table the engine layer keeps for itself and leaves out
-- of the table list, as Jet does with its own. Query names compare ignoring
-- ASCII case as Jet's do; NOCASE rather than JETNOCASE so that tools without
-- the engine layer can look queries up.
CREATE TABLE MSysQueries (
  Name  TEXT(64) NOT NULL PRIMARY KEY COLLATE NOCASE,
  SQL   LONGTEXT NOT NULL
);

-- Relations by name, as the engine layer lists and finds them (Fields and
-- ForeignFields are tab-separated lists; 4096 is cascading delete). Rel1 itself
-- is enforced by the foreign key of DeviceItems above.
CREATE TABLE MSysRelationships (
  Name           TEXT(64) PRIMARY KEY COLLATE NOCASE,
  TableName      TEXT(64) NOT NULL,
  ForeignTable   TEXT(64) NOT NULL,
  Fields         LONGTEXT NOT NULL,
  ForeignFields  LONGTEXT NOT NULL,
  Attributes     INTEGER NOT NULL
);
INSERT INTO MSysRelationships VALUES ('Rel1', 'AlbumItems', 'DeviceItems', 'ItemID', 'ItemID', 4096);

------------------------------------------------------------------------------
-- Triggers
------------------------------------------------------------------------------

-- The rows that depend on an item, besides its DeviceItems rows (Rel1).
CREATE TRIGGER AlbumItems_DeleteDependents AFTER DELETE ON AlbumItems
BEGIN
  DELETE FROM AlbumContents WHERE ItemID = OLD.ItemID OR AlbumID = OLD.ItemID;
  DELETE FROM Albums WHERE AlbumID = OLD.ItemID;
  DELETE FROM SpecialAlbums WHERE AlbumID = OLD.ItemID;
  DELETE FROM SpecialAlbumProperties WHERE AlbumID = OLD.ItemID;
  DELETE FROM VisibleUserFields WHERE AlbumID = OLD.ItemID;
  DELETE FROM DeviceItems WHERE AlbumID = OLD.ItemID;
  DELETE FROM MRUList WHERE ItemID = OLD.ItemID;
  DELETE FROM SearchResults WHERE ItemID = OLD.ItemID;
  DELETE FROM AssignedKeywords WHERE ItemID = OLD.ItemID;
  DELETE FROM AssignedFieldsText WHERE ItemID = OLD.ItemID;
  DELETE FROM AssignedFieldsNumber WHERE ItemID = OLD.ItemID;
  DELETE FROM AssignedFieldsDate WHERE ItemID = OLD.ItemID;
  DELETE FROM AssignedFieldsYesNo WHERE ItemID = OLD.ItemID;
  DELETE FROM AssignedFieldsOnOff WHERE ItemID = OLD.ItemID;
  DELETE FROM AssignedFieldsMemo WHERE ItemID = OLD.ItemID;
  DELETE FROM PhotoItem WHERE ItemID = OLD.ItemID;
  DELETE FROM AudioItem WHERE ItemID = OLD.ItemID;
  DELETE FROM AudioStream WHERE ItemID = OLD.ItemID;
  DELETE FROM VideoItem WHERE ItemID = OLD.ItemID;
  DELETE FROM VideoStream WHERE ItemID = OLD.ItemID;
  DELETE FROM VideoEffect WHERE ItemID = OLD.ItemID;
  DELETE FROM Overlay WHERE ItemID = OLD.ItemID;
  DELETE FROM DVDProject WHERE ItemID = OLD.ItemID;
  DELETE FROM TqProduction WHERE ItemID = OLD.ItemID;
END;

-- A destroyed user field takes its values and visibility rows with it.
CREATE TRIGGER UserFields_DeleteDependents AFTER DELETE ON UserFields
BEGIN
  DELETE FROM VisibleUserFields WHERE FieldID = OLD.FieldID;
  DELETE FROM AssignedFieldsText WHERE FieldID = OLD.FieldID;
  DELETE FROM AssignedFieldsNumber WHERE FieldID = OLD.FieldID;
  DELETE FROM AssignedFieldsDate WHERE FieldID = OLD.FieldID;
  DELETE FROM AssignedFieldsYesNo WHERE FieldID = OLD.FieldID;
  DELETE FROM AssignedFieldsOnOff WHERE FieldID = OLD.FieldID;
  DELETE FROM AssignedFieldsMemo WHERE FieldID = OLD.FieldID;
END;

-- A deleted secret word takes its associations with it.
CREATE TRIGGER SecretWords_DeleteDependents AFTER DELETE ON SecretWords
BEGIN
  DELETE FROM SecretWordAssociations WHERE SecretWordID = OLD.SecretWordID;
END;

-- A device row makes the item a member of the device album. NOT EXISTS
-- rather than the key's IGNORE, so that the outer statement's conflict
-- policy cannot turn an existing membership into an error.
CREATE TRIGGER DeviceItems_AddMembership AFTER INSERT ON DeviceItems
BEGIN
  INSERT INTO AlbumContents (AlbumID, ItemID)
    SELECT NEW.AlbumID, NEW.ItemID
    WHERE NOT EXISTS (SELECT 1 FROM AlbumContents
                      WHERE AlbumID = NEW.AlbumID AND ItemID = NEW.ItemID);
END;

-- The membership goes with the last device row of the pair.
CREATE TRIGGER DeviceItems_RemoveMembership AFTER DELETE ON DeviceItems
BEGIN
  DELETE FROM AlbumContents
    WHERE AlbumID = OLD.AlbumID AND ItemID = OLD.ItemID
      AND NOT EXISTS (SELECT 1 FROM DeviceItems
                      WHERE AlbumID = OLD.AlbumID AND ItemID = OLD.ItemID);
END;


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
-- stored byte for byte, and the upgrade of older catalogues stores some of
-- these same texts (memo user fields, device items), which must not differ.

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
