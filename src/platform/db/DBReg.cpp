#include "platform/db/DBReg.h"

#include "platform/db/DBCtrls.h"
#include "platform/db/DBTables.h"
#include "platform/vcl/FormReader.h"

namespace {

using TSetter = std::function<bool(TComponent&, const TFormPropertyText&, const TComponentResolver&)>;

template <class T>
TComponent* Referenced(const TComponentResolver& Resolve, const TFormPropertyText& P) {
  return dynamic_cast<T*>(Resolve(P.Value.Text));
}

bool SetTable(TComponent& C, const TFormPropertyText& P, const TComponentResolver& Resolve) {
  auto& T = static_cast<TTable&>(C);
  const std::string& N = P.Name;
  if (SameText(N, "DatabaseName")) T.DatabaseName = P.Value.Text;
  else if (SameText(N, "TableName")) T.TableName = P.Value.Text;
  else if (SameText(N, "IndexName")) T.SetIndexName(P.Value.Text);
  else if (SameText(N, "MasterFields")) T.MasterFields = P.Value.Text;
  else if (SameText(N, "MasterSource")) T.SetMasterSource(static_cast<TDataSource*>(Referenced<TDataSource>(Resolve, P)));
  else return false;
  return true;
}

bool SetDataSource(TComponent& C, const TFormPropertyText& P, const TComponentResolver& Resolve) {
  auto& S = static_cast<TDataSource&>(C);
  if (SameText(P.Name, "DataSet")) S.SetDataSet(static_cast<TDataSet*>(Referenced<TDataSet>(Resolve, P)));
  else if (SameText(P.Name, "Enabled")) S.Enabled = !SameText(P.Value.Text, "False");
  else return false;
  return true;
}

bool SetField(TComponent& C, const TFormPropertyText& P, const TComponentResolver& Resolve) {
  auto& F = static_cast<TField&>(C);
  const std::string& N = P.Name;
  const std::string& V = P.Value.Text;
  if (SameText(N, "FieldName")) F.SetFieldName(V);
  else if (SameText(N, "Size")) F.SetSize(StrToIntDef(V, 0));
  else if (SameText(N, "FieldKind"))
    F.FieldKind = SameText(V, "fkLookup") ? fkLookup : SameText(V, "fkCalculated") ? fkCalculated : fkData;
  else if (SameText(N, "Lookup")) F.FieldKind = SameText(V, "True") ? fkLookup : F.FieldKind;
  else if (SameText(N, "Calculated")) F.FieldKind = SameText(V, "True") ? fkCalculated : F.FieldKind;
  else if (SameText(N, "LookupDataSet")) F.LookupDataSet = static_cast<TDataSet*>(Referenced<TDataSet>(Resolve, P));
  else if (SameText(N, "KeyFields")) F.KeyFields = V;
  else if (SameText(N, "LookupKeyFields")) F.LookupKeyFields = V;
  else if (SameText(N, "LookupResultField")) F.LookupResultField = V;
  else return false;
  return true;
}

bool SetDataControl(TComponent& C, const TFormPropertyText& P, const TComponentResolver& Resolve) {
  auto& D = static_cast<TDBDataLink&>(C);
  if (SameText(P.Name, "DataSource")) {
    D.SetDataSource(static_cast<TDataSource*>(Referenced<TDataSource>(Resolve, P)));
    return true;
  }
  if (auto* F = dynamic_cast<TDBFieldControl*>(&C)) {
    if (SameText(P.Name, "DataField")) F->DataField = P.Value.Text;
    else if (SameText(P.Name, "ListSource")) F->SetListSource(static_cast<TDataSource*>(Referenced<TDataSource>(Resolve, P)));
    else if (SameText(P.Name, "ListField")) F->ListField = P.Value.Text;
    else if (SameText(P.Name, "KeyField")) F->KeyField = P.Value.Text;
    else return SetControlProperty(C, P, Resolve);
    return true;
  }
  return SetControlProperty(C, P, Resolve);
}

}  // namespace

void RegisterDBComponentClasses() {
  RegisterComponentClass("TTable", {[](TComponent* O) -> TComponent* { return new TTable(O); }, SetTable, nullptr});
  RegisterComponentClass("TDataSource",
                         {[](TComponent* O) -> TComponent* { return new TDataSource(O); }, SetDataSource, nullptr});
  for (int T = ftString; T <= ftTypedBinary; ++T) {
    const auto Type = static_cast<TFieldType>(T);
    RegisterComponentClass(
        "T" + FieldTypeName(Type) + "Field",
        {[Type](TComponent* O) -> TComponent* { return new TField(O, Type); }, SetField,
         [](TComponent& C, TComponent& Parent) {
           if (auto* D = dynamic_cast<TDataSet*>(&Parent)) static_cast<TField&>(C).SetDataSet(D);
         }});
  }
  RegisterComponentClass("TDBGrid", {[](TComponent* O) -> TComponent* { return new TDBGrid(O); }, SetDataControl, nullptr});
  for (const char* Name : {"TDBEdit", "TDBText", "TDBMemo", "TDBCheckBox", "TDBComboBox", "TDBListBox",
                           "TDBRadioGroup", "TDBImage", "TDBRichEdit", "TDBLookupComboBox",
                           "TDBLookupListBox", "TDBLookupCombo", "TDBLookupList", "TDBNavigator"})
    RegisterComponentClass(Name, {[Name](TComponent* O) -> TComponent* { return new TDBFieldControl(O, Name); },
                                  SetDataControl, nullptr});
}
