' The registered control driven by a real automation client: creation by ProgID,
' tools of each type with their defaults, placements, properties and For Each.
Option Explicit
Dim failures : failures = 0

Sub Check(condition, what)
    If Not condition Then
        WScript.Echo "ECHEC : " & what
        failures = failures + 1
    End If
End Sub

Dim tb : Set tb = CreateObject("Palisade.PalisadeCtl")
Check TypeName(tb) <> "Nothing", "CreateObject"

' One tool of each type, with the defaults every new tool has.
Dim kinds : kinds = Array("Bouton", "Etat", "Deroulant", "DeroulantEtat", "Combo", "Saisie", "Etiquette", "MenuPop")
Dim i, t
For i = 0 To 7
    Set t = tb.Tools.Add(kinds(i), i)
    Check t.ID = kinds(i), "ID of " & kinds(i)
    Check t.Type = i, "Type of " & kinds(i)
    Check t.Category = "General", "Category of " & kinds(i)
    Check t.PictureSize = 16, "PictureSize of " & kinds(i)
    Check t.CtlWidth = 75, "CtlWidth of " & kinds(i)
    Check t.Enabled = True And t.Visible = True, "Enabled and Visible of " & kinds(i)
    Check t.Shortcut = 0 And t.State = 0, "Shortcut and State of " & kinds(i)
    Check t.RecentlyUsed = False, "RecentlyUsed of " & kinds(i)
    Check IsEmpty(t.TagVariant), "TagVariant of " & kinds(i)
Next
Check tb.Tools("MenuPop").AutoWrap = True, "a menu wraps"
Check tb.Tools("Bouton").AutoWrap = False, "a button does not wrap"

Set t = tb.Tools.Add("x", 8)
Check t.ID = "separator", "a separator's ID"
Check t.Name = "", "a separator has no caption"
Check t.MenuVisibility = 1, "a separator shows if recent"
Check tb.Tools.Count = 9, "nine tools"

' The main window's popup menu: placements read the pool tool's ID.
Dim menu : Set menu = tb.Tools("MenuPop").Menu
Dim ids : ids = Array("ModifRep", "ModifRepFich", "Editer", "Prop", "LigneUp", "LigneDown", "DeleteLigne")
For i = 0 To UBound(ids)
    tb.Tools.Add ids(i)
    tb.Tools(ids(i)).Name = "Libell" & ChrW(233) & " " & i
    menu.Tools.Add ids(i)
Next
menu.Tools.Add "separator"
Check menu.Tools.Count = 8, "eight placements in the menu"
Check menu.Tools(3).ID = "Editer", "placement ID is the pool tool's"
Check menu.Tools(3).Name = "Libell" & ChrW(233) & " 2", "placement caption starts as the pool tool's"

tb.Tools.Item("Editer").Enabled = False
Check menu.Tools("Editer").Enabled = False, "Enabled through Tools.Item reaches the placement"
tb.Tools("Editer").Enabled = True
Check menu.Tools("Editer").Enabled = True, "and back"

' For Each walks every collection in order.
Dim seen, tool
seen = ""
For Each tool In menu.Tools
    seen = seen & tool.ID & ","
Next
Check seen = "ModifRep,ModifRepFich,Editer,Prop,LigneUp,LigneDown,DeleteLigne,separator,", "For Each over a menu: " & seen

Dim bar
tb.ToolBars.Add "Standard"
tb.ToolBars.Add "Format"
seen = ""
For Each bar In tb.ToolBars
    seen = seen & bar.Name & ","
Next
Check seen = "Standard,Format,", "For Each over toolbars: " & seen
Check tb.ToolBars("Format").DockedStatus = 1, "a new bar is docked at the top"

' Properties written and read back, with coercion by the type library.
tb.ToolTipDelay = "750"
Check tb.ToolTipDelay = 750, "ToolTipDelay from text"
tb.Tools("Bouton").TagVariant = ChrW(233) & "tiquette"
Check tb.Tools("Bouton").TagVariant = ChrW(233) & "tiquette", "TagVariant"
tb.Tools("Combo").ComboBox.AddItem "Un"
tb.Tools("Combo").ComboBox.AddItem "Deux"
tb.Tools("Combo").ComboBox.ListIndex = 1
Check tb.Tools("Combo").ComboBox.Text = "Deux", "combo text follows the selection"
tb.Tools("Saisie").Edit.Text = "Bonjour"
Check tb.Tools("Saisie").Edit.Text = "Bonjour", "edit text"
Check tb.CustomizationStrings(0) = "Cancel", "customization string 0"

' ChangeAll and ResetUsage.
tb.Tools("Bouton").RecentlyUsed = True
tb.ResetUsage
Check tb.Tools("Bouton").RecentlyUsed = False, "ResetUsage"
tb.Tools("Prop").ChangeAll 4, "Propri" & ChrW(233) & "t" & ChrW(233) & "s"
Check menu.Tools("Prop").Name = "Propri" & ChrW(233) & "t" & ChrW(233) & "s", "ChangeAll reaches the placement"

tb.Tools.Remove "Prop"
Check menu.Tools.Count = 7, "removing a pool tool removes its placement"

Dim value : Set value = CreateObject("Palisade.PlReturnBoolean")
value.Value = True
Check value.Value = True, "PlReturnBoolean by ProgID"

If failures = 0 Then WScript.Echo "ObjectModel.vbs : tout est bon"
WScript.Quit failures
