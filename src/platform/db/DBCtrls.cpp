#include "platform/db/DBCtrls.h"

#include "platform/vcl/ScriptHooks.h"

void TDBDataLink::SetDataSource(TDataSource* Value) {
  if (Value == FDataSource) return;
  // A notification asked for stays until either side is destroyed: the same
  // source may also be a list source.
  FDataSource = Value;
  if (FDataSource) FreeNotification(FDataSource);
}

void TDBDataLink::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDataSource) FDataSource = nullptr;
}

namespace {

std::string RecordLine(const TDataSet& DataSet) {
  std::string Line;
  for (int I = 0; I < DataSet.FieldCount(); ++I) {
    const TField* F = DataSet.Fields(I);
    if (I > 0) Line += " | ";
    Line += IsBlobType(F->DataType()) && F->DataType() != ftMemo ? "(" + FieldTypeName(F->DataType()) + ")"
                                                                  : F->AsString();
  }
  return Line;
}

}  // namespace

std::vector<std::string> TDBGrid::Rows(int& Current) const {
  std::vector<std::string> Rows;
  Current = -1;
  TDataSet* D = DataSet();
  if (!D || !D->Active()) return Rows;
  std::string Header;
  for (int I = 0; I < D->FieldCount(); ++I) Header += (I > 0 ? " | " : "") + D->Fields(I)->FieldName();
  Rows.push_back(Header);
  if (D->State() != dsBrowse) {
    Rows.push_back(RecordLine(*D));
    Current = 1;
    return Rows;
  }
  const int Saved = D->RecNo();
  for (D->First(); !D->Eof(); D->Next()) {
    if (D->RecNo() == Saved) Current = static_cast<int>(Rows.size());
    Rows.push_back(RecordLine(*D));
  }
  if (Saved > 0) D->SetRecNo(Saved);
  return Rows;
}

void TDBGrid::ScriptPrint(std::vector<std::string>& Lines) const {
  Lines.push_back(ScriptHeadLine(*this, std::nullopt));
  int Current = -1;
  const std::vector<std::string> All = Rows(Current);
  for (size_t R = 0; R < All.size(); ++R) Lines.push_back(ScriptItemLine(All[R], static_cast<int>(R) == Current));
}

TField* TDBFieldControl::Field() const {
  TDataSet* D = DataSet();
  return D && D->Active() && !DataField.empty() ? D->FindField(DataField) : nullptr;
}

void TDBFieldControl::ScriptPrint(std::vector<std::string>& Lines) const {
  const TField* F = Field();
  Lines.push_back(ScriptHeadLine(*this, F ? std::optional<std::string>(F->AsString()) : std::nullopt));
}

void TDBFieldControl::Notification(TComponent* AComponent, TOperation Operation) {
  TDBDataLink::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FListSource) FListSource = nullptr;
}

void TDBFieldControl::SetListSource(TDataSource* Value) {
  if (Value == FListSource) return;
  FListSource = Value;
  if (FListSource) FreeNotification(FListSource);
}
