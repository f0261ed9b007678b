// The variable defaults of the class expert: for a variable name the type
// and comment it was last created with, kept in "defaults.dat" in the data
// directory. Part of the unit VelmoricNewProcedure.
#pragma once

#include <string>

#include "platform/rtl/Classes.h"

// One remembered variable.
class TVelmoricVariable : public TObject {
 public:
  std::string name;
  std::string TypeName;
  std::string Comment;
};

// Keys are the lower-cased names, objects the variables (owned). Unsorted,
// duplicates kept: the oldest entry of a name is the one offered.
class TVelmoricVariableTable : public TStringList {
 public:
  TVelmoricVariableTable();
  ~TVelmoricVariableTable() override;
  TVelmoricVariableTable(const TVelmoricVariableTable&) = delete;
  TVelmoricVariableTable& operator=(const TVelmoricVariableTable&) = delete;

  using TStringList::Add;
  // Whether the name is known; remembers its type and comment.
  bool find(const std::string& Name);
  // Appends an entry and saves the file.
  void Add(const std::string& Name, const std::string& Type, const std::string& Comment);
  // Reads the file; a missing or unreadable file leaves the table as it is.
  void LoadFromFile();
  // Rewrites an existing file with every entry (a temporary file renamed
  // over it); never creates the file.
  void SaveToFile();
  void Clear() override;

  // "defaults.dat" in the data directory; empty without a data directory.
  static std::string DefaultsFileName();

  std::string FoundType;     // of the last successful find
  std::string FoundComment;
};

// The one table of the process.
extern TVelmoricVariableTable* velmoricVariables;
