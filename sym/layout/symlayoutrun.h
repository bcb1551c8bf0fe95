// One run of the library's own layout: the graph of the run's symbols, its
// structures, and the steps between them. SSymAutoLayout::Invoke builds one
// on the layout object and executes it; the steps are public so that each
// can be looked at on its own.
#pragma once

#include <memory>
#include <vector>

#include "sym/layout/symlayoutgraph.h"

class SSymAutoLayout;
class SSymAutoLayoutDumpFile;

class SSymAutoLayoutRun {
 public:
  // The spacings every run publishes for its graph.
  static constexpr LONG kFirstSpacing = 5000;
  static constexpr LONG kSecondSpacing = 2000;
  static constexpr LONG kThirdSpacing = 2500;
  // Below this nesting the split of complex structures goes deeper.
  static constexpr int kMaxNesting = 31;

  explicit SSymAutoLayoutRun(SSymAutoLayout& layout);
  ~SSymAutoLayoutRun();
  SSymAutoLayoutRun(const SSymAutoLayoutRun&) = delete;
  SSymAutoLayoutRun& operator=(const SSymAutoLayoutRun&) = delete;

  // The whole run in one undo step: non-zero when every symbol moved.
  int Execute();

  // The steps, in the order Execute takes them.
  int CreateNodes();
  int CreateStructures();
  int SplitComplexStructures(const std::vector<SSymAutoLayoutStruct*>& structs);
  void LayOutStructures();
  void PackStructures() { SSymAutoLayoutPacking::PackStructures(m_structs, 0, 0, 0, 0, 0); }

  // The user's setting for synonyms in automatic runs ("SynonymsInAutoLayout",
  // default 1).
  static bool IsSynonymsInAutoLayout();

  SSymAutoLayoutNode* FindNode(ISSymbol* symbol) const;
  const std::vector<SSymAutoLayoutStruct*>& GetStructures() const { return m_structs; }
  const SSymAutoLayoutSynonyms& GetSynonyms() const { return m_synonyms; }
  SSymRect GetResultRect() const { return m_result; }

 private:
  // The one place that makes the graph's objects.
  SSymAutoLayoutNode* NewNode(ISSymbol* symbol);
  SSymAutoLayoutLink* NewLink(ISSymbol* symbol);
  SSymAutoLayoutStruct* NewStruct();
  void Adopt(const std::vector<SSymAutoLayoutStruct*>& made);
  void CloneLeavingEnds(SSymAutoLayoutNode* node);
  int Place(SSymAutoLayoutDumpFile& dump);

  SSymAutoLayout& m_layout;
  SSymAutoLayoutSymbolMap m_map;
  std::vector<SSymAutoLayoutNode*> m_nodes;  // in order of creation
  std::vector<std::unique_ptr<SSymAutoLayoutStruct>> m_owned;
  std::vector<SSymAutoLayoutStruct*> m_structs;
  SSymAutoLayoutSynonyms m_synonyms;
  SSymRect m_result;
  int m_nNesting = 0;
};
