-- The catalogue layout: every table, index and trigger of a library file.
--
-- This file is the one declaration of the current layout. The build embeds
-- it, with stored_queries.sql, into the code and runs both into a fresh
-- SQLite file (albumcore_make_template), installed as CatalogueTemplate.db,
-- the file every new library is copied from. Existing files reach this
-- layout through the upgrade, which compares each table, index and trigger
-- of a file with its declaration here and creates, rebuilds or replaces what
-- differs; so a change here needs no upgrade code of its own. Older layouts
-- live frozen under old_layouts/, for the upgrade tests, and are never
-- edited.
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
-- Collations. Jet compares text ignoring case; the engine layer does the
-- same through the JETNOCASE collation (Unicode simple case folding), which
-- it registers on every connection and uses for every text comparison,
-- sort, grouping, DISTINCT and UNION, except on columns declared
-- COLLATE BINARY, which compare exactly. So every text column states its
-- collation:
--   COLLATE BINARY     text that identifies something on a case-sensitive
--                      file system or protocol: monikers, paths, file
--                      unique IDs, GUIDs, RequestIDs, UDNs, URLs, passwords.
--   COLLATE JETNOCASE  everything people read or type: names, titles,
--                      notes, XML, field values, descriptions, expiry text.
-- The MSys tables keep NOCASE keys (below). Whoever opens a catalogue
-- without the engine layer must register JETNOCASE first (the sqlite3 shell:
-- .load libalbumcore_sqlite_ext), or statements comparing those columns fail
-- with "no such collation sequence".
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
--      and a foreign key makes the upgrade of an existing file fail on its
--      first orphan row, where a trigger is simply added.
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
  ItemDataMoniker   LONGTEXT COLLATE BINARY,
  ItemThumbMoniker  LONGTEXT COLLATE BINARY,
  DateCreated       DATETIME DOUBLE,
  DateModified      DATETIME DOUBLE,
  Name              TEXT(255) COLLATE JETNOCASE,
  Filename          TEXT(255) COLLATE JETNOCASE,
  Note              LONGTEXT COLLATE JETNOCASE,
  Size              INTEGER DEFAULT 0,          -- low 32 bits of the file size
  BigSize           INTEGER DEFAULT 0,          -- high 32 bits
  SoundMoniker      LONGTEXT COLLATE BINARY,
  ReadOnly          YESNO INTEGER NOT NULL DEFAULT 0,
  Protected         YESNO INTEGER NOT NULL DEFAULT 0,
  Hidden            YESNO INTEGER NOT NULL DEFAULT 0,
  Playable          YESNO INTEGER NOT NULL DEFAULT 0,
  Archived          YESNO INTEGER NOT NULL DEFAULT 0,
  BackedUp          YESNO INTEGER NOT NULL DEFAULT 0,
  Rating            INTEGER DEFAULT 0,
  DataXML           LONGTEXT COLLATE JETNOCASE,
  FileUniqueID      TEXT(255) COLLATE BINARY
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
  AlbumIcon   LONGTEXT COLLATE JETNOCASE,
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
  TranscodedPath  LONGTEXT COLLATE BINARY,
  BackupPath      LONGTEXT COLLATE BINARY,
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
  Author      TEXT(255) COLLATE JETNOCASE,
  Place       TEXT(255) COLLATE JETNOCASE,
  Event       TEXT(255) COLLATE JETNOCASE,
  Genre       TEXT(255) COLLATE JETNOCASE
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
  Title           TEXT(255) COLLATE JETNOCASE,
  Album           TEXT(255) COLLATE JETNOCASE,
  Artist          TEXT(255) COLLATE JETNOCASE,
  Composer        TEXT(255) COLLATE JETNOCASE,
  Arranger        TEXT(255) COLLATE JETNOCASE,
  TrackNo         INTEGER,
  BPM             INTEGER,
  YearOfRelease   INTEGER,
  Lyrics          LONGTEXT COLLATE JETNOCASE,
  LyricsBy        TEXT(255) COLLATE JETNOCASE,
  Language        TEXT(255) COLLATE JETNOCASE,
  Comments        LONGTEXT COLLATE JETNOCASE,
  Mood            TEXT(255) COLLATE JETNOCASE,
  RecordLabel     TEXT(255) COLLATE JETNOCASE,
  ISRC            TEXT(255) COLLATE JETNOCASE,
  MoreInfoURL     LONGTEXT COLLATE BINARY,
  PointIn         DOUBLE,
  PointOut        DOUBLE,
  IsScene         YESNO INTEGER NOT NULL DEFAULT 0,
  BitRate         INTEGER,
  MusicID         TEXT(255) COLLATE JETNOCASE,
  Protected       YESNO INTEGER NOT NULL DEFAULT 0,
  AlbumArtist     TEXT(255) COLLATE JETNOCASE
);

-- Streams of an audio item; several rows per item.
CREATE TABLE AudioStream (
  ItemID         INTEGER NOT NULL,
  Name           TEXT(255) COLLATE JETNOCASE,
  StreamNo       INTEGER,
  Frequency      INTEGER,
  BitsPerSample  INTEGER,
  Channels       INTEGER,
  Compression    INTEGER,
  CodecString    TEXT(255) COLLATE JETNOCASE,
  Playtime       DOUBLE,
  StartOffset    DOUBLE,
  BitRate        INTEGER,
  InfoFlags      INTEGER,
  Tempo          DOUBLE,
  Title          TEXT(255) COLLATE JETNOCASE,
  Album          TEXT(255) COLLATE JETNOCASE,
  Artist         TEXT(255) COLLATE JETNOCASE,
  Composer       TEXT(255) COLLATE JETNOCASE,
  Arranger       TEXT(255) COLLATE JETNOCASE,
  TrackNo        INTEGER,
  BPM            INTEGER,
  YearOfRelease  INTEGER,
  Lyrics         LONGTEXT COLLATE JETNOCASE,
  LyricsBy       TEXT(255) COLLATE JETNOCASE,
  Language       TEXT(255) COLLATE JETNOCASE,
  Comments       LONGTEXT COLLATE JETNOCASE,
  Mood           TEXT(255) COLLATE JETNOCASE,
  RecordLabel    TEXT(255) COLLATE JETNOCASE,
  ISRC           TEXT(255) COLLATE JETNOCASE,
  MoreInfoURL    LONGTEXT COLLATE BINARY
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
  Author          TEXT(255) COLLATE JETNOCASE,
  Place           TEXT(255) COLLATE JETNOCASE,
  Event           TEXT(255) COLLATE JETNOCASE,
  Protected       YESNO INTEGER NOT NULL DEFAULT 0
);

-- Streams of a video item; several rows per item.
CREATE TABLE VideoStream (
  ItemID           INTEGER NOT NULL,
  Name             TEXT(255) COLLATE JETNOCASE,
  StreamNo         INTEGER,
  Width            INTEGER,
  Height           INTEGER,
  PixelFormat      INTEGER,
  CodecGUID        TEXT(38) COLLATE BINARY,
  FrameRate        DOUBLE,
  Interlaced       YESNO INTEGER NOT NULL DEFAULT 0,
  InterlaceOption  INTEGER,
  CodecString      TEXT(255) COLLATE JETNOCASE,
  AspectRatio      DOUBLE
);
CREATE INDEX VideoStream_ItemID ON VideoStream (ItemID);

CREATE TABLE VideoEffect (
  ItemID         INTEGER PRIMARY KEY,
  UUID           TEXT(38) COLLATE BINARY,
  ImagePreviewA  LONGTEXT COLLATE BINARY,
  ImagePreviewB  LONGTEXT COLLATE BINARY,
  SubType        INTEGER,
  RenderType     INTEGER
);

CREATE TABLE Overlay (
  ItemID     INTEGER PRIMARY KEY,
  AlphaFile  LONGTEXT COLLATE BINARY
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
-- By keyword, with the item: the items of a keyword are read from the index
-- alone (co-assigned keyword queries, IsKeywordAssigned, Destroy).
CREATE INDEX AssignedKeywords_KeywordID ON AssignedKeywords (KeywordID, ItemID);

-- User field definitions. FieldType is an enumNaxFieldType (0 text, 1 number,
-- 2 date, 3 yes/no, 4 on/off, 5 memo), not validated. The column order is
-- the one "EnumUserFieldsInLibrary" returns.
CREATE TABLE UserFields (
  FieldID      INTEGER PRIMARY KEY AUTOINCREMENT,
  FieldType    INTEGER NOT NULL DEFAULT 0,
  FieldName    TEXT(255) COLLATE JETNOCASE,
  Description  LONGTEXT COLLATE JETNOCASE
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
  FieldValue  TEXT(255) COLLATE JETNOCASE,
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
  FieldValue  LONGTEXT COLLATE JETNOCASE,
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
  RequestID    LONGTEXT COLLATE BINARY,
  ReadOnly     YESNO INTEGER NOT NULL DEFAULT 0,
  Hidden       YESNO INTEGER NOT NULL DEFAULT 0,
  CategoryID   INTEGER DEFAULT 0
);

-- Secret words; Expiry is "Never" or an automation date as decimal text.
CREATE TABLE SecretWords (
  SecretWordID  INTEGER PRIMARY KEY AUTOINCREMENT,
  wordGUID      TEXT(255) COLLATE BINARY,
  Name          TEXT(255) COLLATE JETNOCASE,
  Expiry        TEXT(255) COLLATE JETNOCASE,
  TemplateID    INTEGER,
  SwPassword    TEXT(255) COLLATE BINARY
);
CREATE INDEX SecretWords_wordGUID ON SecretWords (wordGUID);

CREATE TABLE SecretWordAssociations (
  ID            INTEGER PRIMARY KEY AUTOINCREMENT,
  SecretWordID  INTEGER NOT NULL,
  RequestID     LONGTEXT COLLATE BINARY,
  AlbumID       INTEGER
);
CREATE INDEX SecretWordAssociations_SecretWordID ON SecretWordAssociations (SecretWordID);

-- Network shares, devices and which device sees which restricted share. No
-- uniqueness: the same MAC, RequestID or mapping may be stored twice, and
-- removing a share or device leaves its mapping rows.
CREATE TABLE UPnPShares (
  ShareID     INTEGER PRIMARY KEY AUTOINCREMENT,
  RequestID   LONGTEXT COLLATE BINARY,
  Restricted  YESNO INTEGER NOT NULL DEFAULT 0,
  Internal    YESNO INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE UPnPDevices (
  DeviceID                INTEGER PRIMARY KEY AUTOINCREMENT,
  UDN                     TEXT(255) COLLATE BINARY,
  MAC                     TEXT(255) COLLATE JETNOCASE,
  UserFriendlyTitleShort  TEXT(255) COLLATE JETNOCASE,
  UserFriendlyTitleLong   TEXT(255) COLLATE JETNOCASE,
  ManufacturerURL         LONGTEXT COLLATE BINARY
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
  SearchString  TEXT(255) COLLATE JETNOCASE
);

CREATE TABLE MRUSoundMonikers (
  SoundMoniker  LONGTEXT COLLATE BINARY
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
