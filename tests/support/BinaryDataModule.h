// A data module as the IDE writes it in binary: DataModule1 with Table1 on
// "customer.db" and DataSource1 over it. The module's own list is left open
// so that a test can add components before closing it with EndList.
#pragma once

#include "platform/vcl/FormFiles.h"

inline void BeginCustomerDataModule(TFormBinaryWriter& W) {
  W.BeginObject("TDataModule1", "DataModule1");
  W.EndList();
  W.BeginObject("TTable", "Table1");
  W.WriteProperty("TableName");
  W.WriteString("customer.db");
  W.EndList();
  W.EndList();
  W.BeginObject("TDataSource", "DataSource1");
  W.WriteProperty("DataSet");
  W.WriteIdent("Table1");
  W.EndList();
  W.EndList();
}
