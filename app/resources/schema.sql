-- Kestrel's person database, "LUMO.mdb" beside the program: an SQLite 3 file.
-- application_id "KSTR" and user_version 1 mark the file and the layout version.
PRAGMA application_id = 1263752274;
PRAGMA user_version = 1;

-- One row per person. ID is assigned by the database; the templates refer to it.
CREATE TABLE USERS (
  ID       INTEGER PRIMARY KEY AUTOINCREMENT,
  UserID   TEXT NOT NULL,
  Name     TEXT NOT NULL,
  DOB      TEXT,            -- date of birth as YYYY-MM-DD, or NULL
  Address  TEXT,
  Tel      TEXT,
  Email    TEXT,
  Remark1  TEXT,
  Remark2  TEXT,
  Remark3  TEXT,
  PHOTO    TEXT             -- path of the picture file, "nil" once cleared
);
CREATE INDEX USERS_USERID ON USERS (UserID);

-- One row per person and finger: the template string as the control returned it.
CREATE TABLE TEMPLATE (
  ID        INTEGER PRIMARY KEY AUTOINCREMENT,
  USER_ID   INTEGER NOT NULL,
  TPL_INDEX INTEGER NOT NULL,
  TPL       TEXT
);
CREATE UNIQUE INDEX TEMPLATE_USER_FINGER ON TEMPLATE (USER_ID, TPL_INDEX);
