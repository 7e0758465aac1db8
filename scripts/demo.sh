#!/usr/bin/env bash
# Sets everything up and shows the server at work on a private session bus:
# installs the packages (as root), builds, registers the server so that the
# bus starts it on demand, then uses the command-line client and busctl.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -eq 0 ]; then
  scripts/bootstrap.sh
elif command -v sudo >/dev/null; then
  sudo scripts/bootstrap.sh
else
  echo "demo: the packages are installed as root: run scripts/bootstrap.sh as root (su -c scripts/bootstrap.sh), then this again" >&2
  exit 1
fi
scripts/build.sh

demo=$(mktemp -d /tmp/albumcore-demo-XXXXXX)
export XDG_DATA_HOME="$demo/data"          # where the activation file goes
export ALBUMCORE_REGISTRY="$demo/machine.reg"
BIN="$PWD/build/src"

dbus-run-session -- bash -euo pipefail -c '
  BIN="$1"
  step() { printf "\n\033[1m$ %s\033[0m\n" "$*"; "$@"; }
  step "$BIN/server/orvmediadb9" /RegServer
  step "$BIN/tools/albumctl/albumctl" ping            # the bus starts the server
  step "$BIN/tools/albumctl/albumctl" reg write "SOFTWARE\Orvane\Crestkit9\Album" Greeting --string "hello, catalogue"
  step "$BIN/tools/albumctl/albumctl" reg read  "SOFTWARE\Orvane\Crestkit9\Album" Greeting
  step "$BIN/tools/albumctl/albumctl" reg read  "SOFTWARE\Orvane\Crestkit9\Album\FileMediaTypes" TypeDescriptorObjects_UI_Order
  step "$BIN/tools/albumctl/albumctl" reg write "SOFTWARE\Orvane\Crestkit9\Album" Answer --dword 42
  step "$BIN/tools/albumctl/albumctl" reg read  "SOFTWARE\Orvane\Crestkit9\Album" Answer --dword
  step "$BIN/tools/albumctl/albumctl" reg read  "SOFTWARE\Orvane\Crestkit9\Album" Missing || true
  step busctl --address="$DBUS_SESSION_BUS_ADDRESS" tree com.orvane.AlbumCore9
  step busctl --address="$DBUS_SESSION_BUS_ADDRESS" introspect com.orvane.AlbumCore9 /com/orvane/AlbumCore9/LibFactory
  printf "\nThe registry file now holds:\n"; head -12 "$ALBUMCORE_REGISTRY"

  # The catalogue store, offline: a new library from the template the
  # registry points to, then Jet SQL against it.
  ctl="$BIN/tools/albumctl/albumctl"
  templates=$("$ctl" reg read "SOFTWARE\Orvane\Crestkit9\Album" DBLocation)
  library="$(dirname "$ALBUMCORE_REGISTRY")/library.db"
  cp "$templates/CatalogueTemplate.db" "$library"
  step "$ctl" db version "$library"
  step "$ctl" db sql "$library" "INSERT INTO AlbumItems ( ItemType, Name, ItemDataMoniker, DateCreated ) SELECT 0, \"Beach \" & chr(34) & \"day\" & chr(34), \"file::/home/ana/beach.jpg\", #7/14/2024 18:30:00#"
  step "$ctl" db sql "$library" "SELECT ItemID, Name, DatePart(\"yyyy\", DateCreated) AS Y, Hidden FROM AlbumItems WHERE Name LIKE \"BEACH*\""
  step "$ctl" db query "$library" EnumerateChildAlbums -p album_id=1
  printf "\n\033[1m$ %s\033[0m\n" "$ctl db sql $library <<SQL ..."   # a script, one session
  "$ctl" db sql "$library" <<SQL
BEGIN TRANSACTION;
INSERT INTO AlbumItems ( ItemType, Name, ItemDataMoniker, DateCreated )
  VALUES ( 0, "Harbour", "file::/home/ana/harbour.jpg", #7/15/2024# );
SELECT @@IDENTITY AS NewItem;
UPDATE AlbumItems SET Hidden = Yes WHERE Name LIKE "harb*";
SELECT Name, DateCreated, Hidden FROM AlbumItems ORDER BY ItemID;
COMMIT;
SQL
  step "$ctl" db check "$library"

  # The same library served: each command opens it in the server for its
  # own run; `library open` would keep it open between runs.
  step "$ctl" library info "$library"
  step "$ctl" item list --library "$library"
  step "$ctl" item set 1 rating 4 --library "$library"
  step "$ctl" item show 1 --library "$library"
' demo "$BIN"
rm -rf "$demo"
