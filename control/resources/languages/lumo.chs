; Lumo 控件语言文件：简体中文。
; Saved as UTF-8. Values may use C escapes (\n, \t, \\, \x41, \101).
[LanguageOptions]
FontName=Noto Sans CJK SC
FontSize=9
FontCharSet=0x86

[MSGResource]
sSelectFingerToRegister=请选择手指
sFingerprintQualityIsPoor=指纹质量差！剩余次数：
sPressFinger=请将手指放在 Vantor 指纹仪上开始登记
sRegisterSuccess=指纹登记成功
sRegisterFailed=指纹登记失败
sDeleteFingerprint=删除所选手指已有的指纹吗？
sNotInstallDriver=请安装指纹仪驱动程序
sNotConnectSensor=未连接指纹仪！
sInitializationFailed=指纹仪初始化失败
sCancelFingerprintChanged=已有的指纹数据已更改，是否保存？
sSelectFingerToVerify=请将手指平放在指纹仪上
sVerFingerprintQualityIsPoor=指纹质量差！
sFeatureOk=指纹特征采集成功
sImageReceivedOK=已成功接收指纹图像
sFingerVerifing=正在验证指纹
sVerifySucceed=指纹验证成功
sVerifyFailed=指纹验证失败
sRegisterTitle=Vantor Lumo 指纹管理系统 (LUMO)
sVerifyTitle=Vantor Lumo 指纹管理系统 (LUMO)
sBtnOK=确定
sBtnCancel=取消
sFPDataErr=指纹登记数据错误！
sLogoPath=C:\\\\
sBackground=C:\\\\
sProductName1=Lumo 指纹
sProductName2=管理系统 (LUMO)
sModule=登记模块
sEnrollMessage=每个手指需按压 4 次完成登记

[LumoMain]
LumoMain.Caption=LUMO 3.0.0
LumoMain.Image1.Hint=Vantor Lumo 指纹管理系统 (LUMO)
