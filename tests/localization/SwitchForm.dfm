object SwitchForm: TSwitchForm
  Left = 40
  Top = 40
  Width = 320
  Height = 260
  Caption = 'Seri Port Se'#231'imi'
  Font.Name = 'Tahoma'
  Font.Height = -11
  object lbPort: TLabel
    Left = 8
    Top = 8
    Width = 60
    Height = 13
    Caption = 'Port:'
    Hint = 'Kart y'#252'kleyicinin portu'
  end
  object lbSpeed: TLabel
    Left = 8
    Top = 28
    Width = 60
    Height = 13
    Caption = 'H'#305'z:'
    ParentFont = False
    Font.Name = 'Tahoma'
    Font.Height = -11
  end
  object Memo1: TMemo
    Left = 8
    Top = 48
    Width = 140
    Height = 60
    Lines.Strings = (
      'Kart tak'#305'n'
      'Bekleyin')
  end
  object ListBox1: TListBox
    Left = 160
    Top = 48
    Width = 140
    Height = 60
    Items.Strings = (
      'Bir'
      #304'ki'
      #220#231)
  end
  object ComboBox1: TComboBox
    Left = 8
    Top = 120
    Width = 140
    Height = 21
    Items.Strings = (
      'Yava'#351
      'H'#305'zl'#305)
  end
  object btOK: TButton
    Left = 160
    Top = 120
    Width = 75
    Height = 25
    Caption = '&TAMAM'
    Hint = 'Se'#231'imi onayla'
  end
  object qlLang1: TqlLang
    HandleResourceStrings = True
    ResourceLanguageIndex = 2
    NumOfLanguages = 2
    LangDelim = 1
    LangNames.Strings = (
      'T'#252'rk'#231'e'
      'English')
    Language = 'T'#252'rk'#231'e'
    Captions.Strings = (
      'TSwitchForm'#1'Seri Port Se'#231'imi'#1'Serial Port Selection'#1
      'lbPort'#1'Port:'#1'Port:'#1
      'lbSpeed'#1'H'#305'z:'#1'Speed:'#1
      'btOK'#1'&TAMAM'#1'&OK'#1)
    Hints.Strings = (
      'lbPort'#1'Kart y'#252'kleyicinin portu'#1'The card loader'#39's port'#1
      'btOK'#1'Se'#231'imi onayla'#1'Confirm the choice'#1)
    Fonts.Strings = (
      'TSwitchForm'#1'Tahoma'#1'Arial'#1
      'lbSpeed'#1'Tahoma'#1'Courier New'#1
      'lbPort'#1'Tahoma'#1'Courier New'#1)
    CharSets.Strings = (
      'TSwitchForm'#1'TURKISH_CHARSET'#1'ANSI_CHARSET'#1
      'lbSpeed'#1'TURKISH_CHARSET'#1'ansi_charset'#1
      'lbPort'#1'TURKISH_CHARSET'#1'ANSI_CHARSET'#1)
    MultiLines.Strings = (
      'Memo1.Lines'#1'"Kart tak'#305'n",Bekleyin'#1'"Insert the card",Wait'#1
      'ListBox1.Items'#1'Bir,'#304'ki,'#220#231#1'One,Two,Three'#1
      'ComboBox1.Items'#1'Yava'#351',H'#305'zl'#305#1'Slow,Fast'#1)
    Strings.Strings = (
      'NoCard'#1'Y'#252'kleme cihaz'#305' '#252'zerinde kart yok'#1'There is no card on the loader'#1
      'SDataRead'#1'Veri okuma hatas'#305#1'Stream read error'#1
      'SPortOpen'#1'%s portu a'#231#305'lam'#305'yor'#1'Port %s cannot be opened'#1)
  end
end
