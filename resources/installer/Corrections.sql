-- Edits applied with msibuild after wixl, one statement per line, in order. Each corrects or
-- completes what wixl 0.101 drops, alters or cannot express; the tables it does not write at
-- all come from tables/*.idt.

-- The upgrade rule for older versions: wixl drops an UpgradeVersion without a minimum.
INSERT INTO Upgrade (UpgradeCode, VersionMax, Attributes, ActionProperty) VALUES ('{7D412787-783E-4970-86D4-96E0CEABDE76}', '3.0.0', 256, 'OLDFOUND')
-- IncludeMaximum is ignored: the same version is detected with both ends inclusive. The
-- attributes are part of the key, so the row is written again.
DELETE FROM Upgrade WHERE ActionProperty = 'SELFFOUND'
INSERT INTO Upgrade (UpgradeCode, VersionMin, VersionMax, Attributes, ActionProperty) VALUES ('{7D412787-783E-4970-86D4-96E0CEABDE76}', '3.0.0', '3.0.0', 770, 'SELFFOUND')
UPDATE Property SET Value = 'NEWFOUND;OLDFOUND;SELFFOUND' WHERE Property = 'SecureCustomProperties'

-- Feature attributes are ignored: neither feature may be set absent or advertised.
UPDATE Feature SET Attributes = 24

-- Component conditions are not supported: exactly one language library per ProductLanguage.
UPDATE Component SET Condition = 'ProductLanguage = 1031' WHERE Component = 'LanguageDE'
UPDATE Component SET Condition = 'ProductLanguage = 1033' WHERE Component = 'LanguageEN'
UPDATE Component SET Condition = 'ProductLanguage = 1034' WHERE Component = 'LanguageES'
UPDATE Component SET Condition = 'ProductLanguage = 1036' WHERE Component = 'LanguageFR'
UPDATE Component SET Condition = 'ProductLanguage = 1041' WHERE Component = 'LanguageJP'
UPDATE Component SET Condition = 'ProductLanguage = 1042' WHERE Component = 'LanguageKO'
UPDATE Component SET Condition = 'ProductLanguage = 1049' WHERE Component = 'LanguageRU'
UPDATE Component SET Condition = 'ProductLanguage = 2052' WHERE Component = 'LanguageSC'
UPDATE Component SET Condition = 'ProductLanguage = 1028' WHERE Component = 'LanguageTC'
UPDATE Component SET Condition = 'ProductLanguage = 1054' WHERE Component = 'LanguageTH'

-- RemoveFile rows outside the component's own folder are not supported (their directory is
-- ignored). APPDATA_LOCATION goes too, or its parent could never be removed.
INSERT INTO RemoveFile (FileKey, Component_, DirProperty, InstallMode) VALUES ('RemoveInstallLocation', 'PYRN', 'INSTALLLOCATION', 2)
INSERT INTO RemoveFile (FileKey, Component_, DirProperty, InstallMode) VALUES ('RemoveMsiSourceDir', 'ProductRegistry', 'MSISOURCEDIR', 2)
INSERT INTO RemoveFile (FileKey, Component_, DirProperty, InstallMode) VALUES ('RemoveAppDataLocation', 'ProductRegistry', 'APPDATA_LOCATION', 2)
INSERT INTO RemoveFile (FileKey, Component_, DirProperty, InstallMode) VALUES ('RemoveAppDataDir', 'ProductRegistry', 'MANUFACTURER_APPDATA_DIR', 2)
INSERT INTO RemoveFile (FileKey, Component_, FileName, DirProperty, InstallMode) VALUES ('RemoveInstallDat', 'ProductRegistry', 'Install.dat', 'MSISOURCEDIR', 2)
INSERT INTO RemoveFile (FileKey, Component_, FileName, DirProperty, InstallMode) VALUES ('RemoveManual', 'ProductRegistry', 'xxx', 'MSISOURCEDIR', 2)

-- Error-type custom actions are not supported: the downgrade stop.
INSERT INTO CustomAction (Action, Type, Target) VALUES ('NoDowngrade', 19, 'A newer version of TARV Post Log Viewer is already installed.')
-- The install-folder page's path check (from the same library as HideCancelButton).
INSERT INTO CustomAction (Action, Type, Source, Target) VALUES ('WixUIValidatePath', 65, 'CustomAction', 'ValidatePath')

-- Before/After scheduling lands on the wrong numbers; AppSearch is not scheduled without a search.
UPDATE InstallExecuteSequence SET Sequence = 6599 WHERE Action = 'HideCanceAction'
UPDATE InstallExecuteSequence SET Condition = 'NOT Installed' WHERE Action = 'RemoveExistingProducts'
INSERT INTO InstallExecuteSequence (Action, Condition, Sequence) VALUES ('NoDowngrade', 'NEWFOUND', 26)
INSERT INTO InstallExecuteSequence (Action, Sequence) VALUES ('AppSearch', 50)
INSERT INTO InstallUISequence (Action, Condition, Sequence) VALUES ('NoDowngrade', 'NEWFOUND', 26)
INSERT INTO InstallUISequence (Action, Sequence) VALUES ('AppSearch', 50)

-- The wizard: wixl writes no user interface.
INSERT INTO InstallUISequence (Action, Sequence) VALUES ('FatalError', -3)
INSERT INTO InstallUISequence (Action, Sequence) VALUES ('UserExit', -2)
INSERT INTO InstallUISequence (Action, Sequence) VALUES ('ExitDialog', -1)
INSERT INTO InstallUISequence (Action, Sequence) VALUES ('PrepareDlg', 49)
INSERT INTO InstallUISequence (Action, Condition, Sequence) VALUES ('WelcomeDlg', 'NOT Installed', 1296)
INSERT INTO InstallUISequence (Action, Condition, Sequence) VALUES ('MaintenanceWelcomeDlg', 'Installed AND NOT RESUME AND NOT Preselected', 1297)
INSERT INTO InstallUISequence (Action, Sequence) VALUES ('ProgressDlg', 1299)
INSERT INTO AdminUISequence (Action, Sequence) VALUES ('FatalError', -3)
INSERT INTO AdminUISequence (Action, Sequence) VALUES ('UserExit', -2)
INSERT INTO AdminUISequence (Action, Sequence) VALUES ('ExitDialog', -1)
INSERT INTO AdminUISequence (Action, Sequence) VALUES ('PrepareDlg', 49)
INSERT INTO AdminUISequence (Action, Sequence) VALUES ('ProgressDlg', 1299)
