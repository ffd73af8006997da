' Events reach a script through WScript.ConnectObject. Wine's scripting host does
' not implement ConnectObject yet (it answers error 445); the script then says
' so and checks that the control still offers its event interface.
Option Explicit
Dim failures : failures = 0
Dim customizeAsked : customizeAsked = 0

Sub Check(condition, what)
    If Not condition Then
        WScript.Echo "ECHEC : " & what
        failures = failures + 1
    End If
End Sub

Sub TB_OnCustomize(Cancel)
    customizeAsked = customizeAsked + 1
    Cancel.Value = True   ' no dialog
End Sub

Sub TB_IconSizeChanged()
    customizeAsked = customizeAsked + 10
End Sub

Dim tb : Set tb = CreateObject("Palisade.PalisadeCtl")
On Error Resume Next
WScript.ConnectObject tb, "TB_"
Dim connectError : connectError = Err.Number
On Error GoTo 0

If connectError = 445 Then
    WScript.Echo "Events.vbs : WScript.ConnectObject n'existe pas dans cet hote (Wine) ; evenements non verifies ici"
Else
    Check connectError = 0, "ConnectObject: " & connectError
    tb.Customize
    Check customizeAsked = 1, "OnCustomize received once, and its Cancel kept the dialog closed"
    tb.LargeIcons = True
    Check customizeAsked = 11, "IconSizeChanged received"
    WScript.DisconnectObject tb
End If

If failures = 0 Then WScript.Echo "Events.vbs : tout est bon"
WScript.Quit failures
