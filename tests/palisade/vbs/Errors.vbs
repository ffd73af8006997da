' Every error a script can trigger arrives in Err with its number and text.
Option Explicit
Dim failures : failures = 0

Sub Check(condition, what)
    If Not condition Then
        WScript.Echo "ECHEC : " & what
        failures = failures + 1
    End If
End Sub

Sub ExpectError(number, text, what)
    Check Err.Number = number, what & " : numero " & Err.Number & " au lieu de " & number
    Check Err.Description = text, what & " : texte """ & Err.Description & """"
    Err.Clear
End Sub

Dim tb : Set tb = CreateObject("Palisade.PalisadeCtl")
tb.Tools.Add "ModifRep"
tb.Tools.Add "Bouton"
tb.Tools.Add "Saisie", 5
tb.Tools.Add "MenuPop", 7

On Error Resume Next
Dim t
Set t = tb.Tools.Item(0)
ExpectError 40002, "Invalid Index value was passed in", "Item(0)"
Set t = tb.Tools.Item("Inconnu")
ExpectError 40002, "Invalid Index value was passed in", "an ID no tool has"
tb.Tools.Remove 99
ExpectError 40002, "Invalid Index value was passed in", "Remove(99)"
tb.Tools.Add "ModifRep"
ExpectError 40009, "Tool ID already exists", "a second ModifRep"
Check tb.Tools.Count = 4, "the refused Add left the collection unchanged"
tb.Tools.Add ""
ExpectError 40011, "Invalid name passed in", "an empty ID"
tb.Tools("Bouton").State = 5
ExpectError 380, "Invalid property value", "State 5"
tb.Tools("Bouton").CtlWidth = 100
ExpectError 40016, "Property is not available, either its not a control tool level property or  the tool type does not support it.", "CtlWidth of a button"
tb.Tools("Saisie").CtlWidth = 1
ExpectError 380, "Invalid property value", "CtlWidth below a scroll bar"
Set t = tb.Tools("Bouton").Menu
ExpectError 40007, "The tool is not a valid menu", "Menu of a button"
tb.PopupMenu "Bouton"
ExpectError 40007, "The tool is not a valid menu", "PopupMenu of a button"
tb.Tools("ModifRep").Shortcut = 3
tb.Tools("Bouton").Shortcut = 3
ExpectError 40010, "Shortcut already in use", "a shortcut already used"
tb.ToolBars.Add "Barre"
tb.ToolBars("Barre").DockedStatus = 3
ExpectError 40015, "An Invalid Dock area was specified.", "dock area 3"
tb.LoadConfiguration "C:\absent\config.bin"
ExpectError 53, "File not found", "LoadConfiguration of a missing file"
tb.SaveLayout "C:\absent\layout.bin"
ExpectError 40006, "Unable to perform the requested operation.", "SaveLayout into a missing folder"
tb.Tools("Saisie").Edit.PasswordChar = "**"
ExpectError 380, "Invalid property value", "two password characters"
tb.Enabled = False
tb.PopupMenu "MenuPop"
ExpectError 40018, "Can not display a popup menu if form is disabled.", "PopupMenu while disabled"
tb.Tools.Foo
Check Err.Number = 438, "an unknown member: " & Err.Number
Err.Clear

' Objects of a control that is gone.
Set t = tb.Tools("Bouton")
Set tb = Nothing
Dim id : id = t.ID
ExpectError 42805, "This object is no longer active", "a tool of a released control"
On Error GoTo 0

If failures = 0 Then WScript.Echo "Errors.vbs : tout est bon"
WScript.Quit failures
