param([String]$debugfile = "");
$targetApp = "$PSScriptRoot\..\Release\Exe\boot.out"
& "cspybat" -f "$PSScriptRoot\boot.Release.general.xcl" --backend -f "$PSScriptRoot\boot.Release.driver.xcl"
