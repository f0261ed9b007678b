// The help table "virtualhelp.DB" in the database alias "Velmoric".
#pragma once

#include <string>

class TTable;

// The alias "Velmoric" names "velmoric.db" in the data directory
// (VelmoricPath) unless the settings name it otherwise.
void RegisterVelmoricAlias();
// Makes Table the help table: alias "Velmoric", table "virtualhelp.DB".
void SetupHelpTable(TTable& Table);
// Creates the help table: Nr (auto-increment, primary), XName (string 128),
// XParent (integer), XTyp (string 3), XText (blob); indexes IVHNAME on XName
// and IVHPARENT on XParent, both case-insensitive. A help table that exists
// already is left as it is. EDatabaseError when the database cannot be read
// or written.
void CreateDataFiles();
