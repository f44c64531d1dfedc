object ComSetupFrm: TComSetupFrm
  Left = 400
  Top = 300
  BorderStyle = bsDialog
  Caption = 'Setup'
  ClientHeight = 216
  ClientWidth = 231
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  OldCreateOrder = False
  Position = poScreenCenter
  OnCreate = FormCreate
  PixelsPerInch = 96
  TextHeight = 13
  object GroupBox1: TGroupBox
    Left = 6
    Top = 8
    Width = 219
    Height = 169
    Caption = ' Settings '
    TabOrder = 0
    object Label1: TLabel
      Left = 8
      Top = 24
      Caption = 'Port'
    end
    object Label2: TLabel
      Left = 8
      Top = 48
      Caption = 'Baud rate'
    end
    object Label3: TLabel
      Left = 8
      Top = 72
      Caption = 'Data bits'
    end
    object Label4: TLabel
      Left = 8
      Top = 96
      Caption = 'Stop bits'
    end
    object Label5: TLabel
      Left = 8
      Top = 120
      Caption = 'Parity'
    end
    object Label6: TLabel
      Left = 8
      Top = 144
      Caption = 'Flow control'
    end
    object Combo1: TComComboBox
      Left = 82
      Top = 20
      Width = 129
      Height = 21
      ComProperty = cpPort
      ItemHeight = 13
      TabOrder = 0
    end
    object Combo2: TComComboBox
      Left = 82
      Top = 44
      Width = 129
      Height = 21
      ComProperty = cpBaudRate
      ItemHeight = 13
      TabOrder = 1
    end
    object Combo3: TComComboBox
      Left = 82
      Top = 68
      Width = 129
      Height = 21
      ComProperty = cpDataBits
      ItemHeight = 13
      TabOrder = 2
    end
    object Combo4: TComComboBox
      Left = 82
      Top = 92
      Width = 129
      Height = 21
      ComProperty = cpStopBits
      ItemHeight = 13
      TabOrder = 3
    end
    object Combo5: TComComboBox
      Left = 82
      Top = 116
      Width = 129
      Height = 21
      ComProperty = cpParity
      ItemHeight = 13
      TabOrder = 4
    end
    object Combo6: TComComboBox
      Left = 82
      Top = 140
      Width = 129
      Height = 21
      ComProperty = cpFlowControl
      ItemHeight = 13
      TabOrder = 5
    end
  end
  object Button1: TButton
    Left = 70
    Top = 184
    Width = 75
    Height = 25
    Caption = 'OK'
    Default = True
    ModalResult = 1
    TabOrder = 1
  end
  object Button2: TButton
    Left = 150
    Top = 184
    Width = 75
    Height = 25
    Caption = 'Cancel'
    ModalResult = 2
    TabOrder = 2
  end
end
