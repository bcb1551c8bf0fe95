// The description of the symbols that hold others: composites, groups and
// the swimlanes (see symclassdesc.h for the columns).
#pragma once

// clang-format off
#define KV_SYM_DESC_SSymComposite(K, A, AX, CF, CB, M) \
  K(SSymComposite, "CompositeSymbol", SSymBase, SSymBase, 0x36083F6B, 0x440c, 18, 1035, "Composite Symbol", "COMPOSITE", "Composite Symbols", 1, 32) \
  /* Const Code               Name              Id          Type  Store   Slot Default  Editor ObjClass  List  Label */ \
  A(,      IsManuallyResized, "ManuallyResized", 0x020100B9, BOOL, GETSET, 0,   "FALSE", NONE,  NONE,    NONE, 1389, "Resized\nRESIZED") \
  CF(, Symbols, "Symbols", 0x02010015, 1, SSymBase, 1721, "Symbols\nSYMBOLS")

#define KV_SYM_DESC_SSymGroup(K, A, AX, CF, CB, M) \
  K(SSymGroup, "GroupSymbol", SSymComposite, SSymComposite, 0x36083F67, 0x440c, 14, 1036, "Group Symbol", "GRPS", "Group Symbols", 1, 10)

#define KV_SYM_DESC_SSymSwimLane(K, A, AX, CF, CB, M) \
  K(SSymSwimLane, "SwimlaneGroupSymbol", SSymBasePen, SSymBasePen, 0x36083F80, 0x440c, 20, 1043, "Swimlane", "SWIMLANE", "Swimlanes", 1, 10) \
  /* Const Code   Name        Id          Type   Store  Slot Default Editor ObjClass  List   Label */ \
  A(Group, Group, "GroupType", 0x020100BD, SMALL, FIELD, 0,   "0",    NONE,  NONE,    GROUP, 1412, "Swimlane Group Type\nSWIMGPTP") \
  CF(, SubSym, "SubSymbols", 0x02010015, 1, SSymBase, 1758, "Sub Symbols\nSUBSYM")

// The swimlane column is a polyline in the metamodel; its maps chain past the
// polyline's to the point-list base's.
#define KV_SYM_DESC_SSymSwimColn(K, A, AX, CF, CB, M) \
  K(SSymSwimColn, "SwimlaneLineSymbol", SSymPolyline, SSymPolyBase, 0x36083F81, 0x440c, 19, 1044, "SwimColn", "SWIMCOLN", "SwimColns", 1, 10)

#define KV_SYM_DESC_SSymSwimGroup(K, A, AX, CF, CB, M) \
  K(SSymSwimGroup, "SwimlaneSubGroupSymbol", SSymSolidText, SSymSolidText, 0x36083F89, 0x440c, 20, 1413, "Swimlane Group", "SWIMGRP", "Swimlane Groups", 1, 10) \
  CF(, SubSym, "SubSymbols", 0x02010015, 1, SSymBase, 1758, "Sub Symbols\nSUBSYM")

#define KV_SYM_DESC_SSymSwim(K, A, AX, CF, CB, M) \
  K(SSymSwim, "BaseSpecificSwimlaneSymbol", SSymSolidText, SSymSolidText, 0x36083F85, 0x10440c, 0, 1046, "Swimlane", "SWIMLINE", "Swimlanes", 1, 10)
// clang-format on
