#include "help/VelmoricCreateTable.h"

#include "platform/db/DBTables.h"
#include "project/VelmoricProjectSettings.h"
#include "trace/traceletVelmoric.h"

void RegisterVelmoricAlias() {
  TTraceProc Trace("RegisterVelmoricAlias");
  Session().SetDefaultAlias("Velmoric", VelmoricPath + "velmoric.db");
}

void SetupHelpTable(TTable& Table) {
  RegisterVelmoricAlias();
  Table.DatabaseName = "Velmoric";
  Table.TableName = "virtualhelp.DB";
  Table.TableType = ttParadox;
}

void CreateDataFiles() {
  TTraceProc Trace("CreateDataFiles");
  TTable Table(nullptr);
  SetupHelpTable(Table);
  // A help table that is there keeps its pages.
  if (Table.Exists()) return;
  Table.FieldDefs.Clear();
  Table.FieldDefs.Add("Nr", ftAutoInc);
  Table.FieldDefs.Add("XName", ftString, 128);
  Table.FieldDefs.Add("XParent", ftInteger);
  Table.FieldDefs.Add("XTyp", ftString, 3);
  Table.FieldDefs.Add("XText", ftBlob);
  Table.IndexDefs.Clear();
  Table.IndexDefs.Add("", "Nr", ixPrimary | ixUnique);
  Table.IndexDefs.Add("IVHNAME", "XName", ixCaseInsensitive);
  Table.IndexDefs.Add("IVHPARENT", "XParent", ixCaseInsensitive);
  Table.CreateTable();
}
