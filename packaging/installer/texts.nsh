; Every text of our own that the setup and the uninstaller show, in English
; and Japanese (languages.nsh). makensis -WX fails the build when a text lacks
; one of the two. Variables in a text ($INSTDIR, $R1) take their values where
; the text is shown.

; The Apps entry's comment (Programs and Features shows it).
LangString AppsComment ${LANG_ENGLISH} "Copies the names and paths of files and folders to the clipboard from the context menu in Explorer."
LangString AppsComment ${LANG_JAPANESE} "エクスプローラーのコンテキスト メニューから、ファイルやフォルダの名前とパスをクリップボードにコピーします。"

; install_mode.nsh
LangString BadSwitches ${LANG_ENGLISH} "/ALLUSERS and /CURRENTUSER exclude each other."
LangString BadSwitches ${LANG_JAPANESE} "/ALLUSERS と /CURRENTUSER は同時に指定できません。"
LangString AskAllUsers ${LANG_ENGLISH} "Install Lumbrix64 for all users of this computer?$\n$\nYes: for all users, into Program Files.$\nNo: only for you, into your own programs folder."
LangString AskAllUsers ${LANG_JAPANESE} "このコンピューターのすべてのユーザーに Lumbrix64 をインストールしますか？$\n$\nはい: すべてのユーザー用に Program Files にインストールします。$\nいいえ: あなた専用に、ユーザーごとのプログラム フォルダにインストールします。"
LangString InstallNeedsAdmin ${LANG_ENGLISH} "Installing for all users needs administrator rights: run the setup from an elevated prompt, or use /CURRENTUSER."
LangString InstallNeedsAdmin ${LANG_JAPANESE} "すべてのユーザー用のインストールには管理者権限が必要です。管理者として開いたコマンド プロンプトからセットアップを実行するか、/CURRENTUSER を指定してください。"
LangString un.About ${LANG_ENGLISH} "Lumbrix64 adds its copy commands to the context menu of files and folders in Explorer; there is nothing to start here. To remove Lumbrix64, use Settings > Apps."
LangString un.About ${LANG_JAPANESE} "Lumbrix64 はエクスプローラーのファイルやフォルダのコンテキスト メニューにコピーのコマンドを追加します。ここで起動するものはありません。Lumbrix64 を削除するには [設定] > [アプリ] を使ってください。"
LangString un.UninstallNeedsAdmin ${LANG_ENGLISH} "Removing Lumbrix64 for all users needs administrator rights."
LangString un.UninstallNeedsAdmin ${LANG_JAPANESE} "すべてのユーザー用の Lumbrix64 を削除するには管理者権限が必要です。"

; folder_protection.nsh
LangString SharedFolder ${LANG_ENGLISH} "$INSTDIR holds other files ($R1). Installed for all users, Lumbrix64 goes into a folder of its own that only administrators can change: choose a new or empty folder."
LangString SharedFolder ${LANG_JAPANESE} "$INSTDIR にはほかのファイル ($R1) があります。すべてのユーザー用の Lumbrix64 は、管理者だけが変更できる専用のフォルダにインストールします。新しいフォルダか空のフォルダを選んでください。"
LangString FolderNotProtected ${LANG_ENGLISH} "The permissions of $INSTDIR could not be set so that only administrators can change it (icacls ended with $R1). Choose a folder on an NTFS drive, or install for the current user only."
LangString FolderNotProtected ${LANG_JAPANESE} "$INSTDIR を管理者だけが変更できるようにアクセス許可を設定できませんでした (icacls の終了コード $R1)。NTFS ドライブのフォルダを選ぶか、現在のユーザーだけにインストールしてください。"

; lumbrix64.nsi
LangString DllInUse ${LANG_ENGLISH} "Lumbrix64.dll in $INSTDIR is in use and cannot be replaced. Close the programs that use it (or restart Windows) and run the setup again."
LangString DllInUse ${LANG_JAPANESE} "$INSTDIR の Lumbrix64.dll は使用中のため置き換えられません。使用しているプログラムを終了して (または Windows を再起動して)、もう一度セットアップを実行してください。"
LangString DllNotWritten ${LANG_ENGLISH} "Lumbrix64.dll could not be written to $INSTDIR."
LangString DllNotWritten ${LANG_JAPANESE} "Lumbrix64.dll を $INSTDIR に書き込めませんでした。"
LangString EntryNotWritten ${LANG_ENGLISH} "The uninstaller or the registration could not be written."
LangString EntryNotWritten ${LANG_JAPANESE} "アンインストーラまたはレジストリへの登録を書き込めませんでした。"
LangString InstalledOldDllLoaded ${LANG_ENGLISH} "Lumbrix64 ${VERSION} is installed.$\n$\nA running program (usually Explorer) still has the previous version loaded and keeps using it until it ends. Sign out and sign in again, or restart Windows, to use the new version everywhere. The old file is removed at the next restart (installed for the current user: by the next setup or the uninstaller)."
LangString InstalledOldDllLoaded ${LANG_JAPANESE} "Lumbrix64 ${VERSION} をインストールしました。$\n$\n実行中のプログラム (通常はエクスプローラー) が以前のバージョンを読み込んでいて、終了するまでそれを使い続けます。すべてのプログラムで新しいバージョンを使うには、サインアウトしてサインインし直すか、Windows を再起動してください。古いファイルは次回の再起動時に削除されます (現在のユーザー用のインストールでは、次回のセットアップかアンインストーラが削除します)。"
LangString un.RegistrationNotRemoved ${LANG_ENGLISH} "The registration under $INSTDIR could not be removed."
LangString un.RegistrationNotRemoved ${LANG_JAPANESE} "$INSTDIR の Lumbrix64 のレジストリへの登録を削除できませんでした。"
LangString un.RemovedRestartRemovesDll ${LANG_ENGLISH} "Lumbrix64 is removed from the context menus.$\n$\nA running program (usually Explorer) still has Lumbrix64.dll loaded; the file is removed at the next restart."
LangString un.RemovedRestartRemovesDll ${LANG_JAPANESE} "Lumbrix64 をコンテキスト メニューから削除しました。$\n$\n実行中のプログラム (通常はエクスプローラー) がまだ Lumbrix64.dll を読み込んでいます。このファイルは次回の再起動時に削除されます。"
LangString un.RemovedUserDeletesFolder ${LANG_ENGLISH} "Lumbrix64 is removed from the context menus.$\n$\nA running program (usually Explorer) still has Lumbrix64.dll loaded. Sign out and sign in again, then delete the folder $INSTDIR."
LangString un.RemovedUserDeletesFolder ${LANG_JAPANESE} "Lumbrix64 をコンテキスト メニューから削除しました。$\n$\n実行中のプログラム (通常はエクスプローラー) がまだ Lumbrix64.dll を読み込んでいます。サインアウトしてサインインし直してから、フォルダ $INSTDIR を削除してください。"

; sparse_package.nsh ("Show more options" is Windows 11's own menu item, in its words)
LangString UnsignedForUserOnly ${LANG_ENGLISH} 'Lumbrix64 is installed for you only. Windows 11 registers an unsigned package only for all users, so Lumbrix64 is in the menu under "Show more options". Install it for all users (as an administrator) to have it in the first-level menu.'
LangString UnsignedForUserOnly ${LANG_JAPANESE} "Lumbrix64 はあなた専用にインストールしました。Windows 11 は署名のないパッケージをすべてのユーザー用にしか登録しないため、Lumbrix64 は「その他のオプションを確認」の中のメニューにあります。最初に開くメニューに表示するには、管理者としてすべてのユーザー用にインストールしてください。"
LangString PackageNotRegistered ${LANG_ENGLISH} 'The Windows 11 menu entry could not be registered (PowerShell ended with $R1). Lumbrix64 is in the menu under "Show more options".'
LangString PackageNotRegistered ${LANG_JAPANESE} "Windows 11 のメニュー項目を登録できませんでした (PowerShell の終了コード $R1)。Lumbrix64 は「その他のオプションを確認」の中のメニューにあります。"
LangString un.PackageNotRemoved ${LANG_ENGLISH} "The Windows 11 menu entry could not be removed (PowerShell ended with $R1). Remove it from PowerShell with: Get-AppxPackage -Name ${SPARSE_PACKAGE_NAME} | Remove-AppxPackage"
LangString un.PackageNotRemoved ${LANG_JAPANESE} "Windows 11 のメニュー項目を削除できませんでした (PowerShell の終了コード $R1)。PowerShell で次のコマンドを実行して削除してください: Get-AppxPackage -Name ${SPARSE_PACKAGE_NAME} | Remove-AppxPackage"
