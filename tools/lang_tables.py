#!/usr/bin/env python3
"""Writes the library's language string tables, src/resources/lang/*.txt.

Each table is UTF-16 LE with a byte order mark and CR LF lines: the mark on a line of its own,
the section header "[tag]" with the language's name as a comment, then one entry per text, the
identifier and the text in double quotes, a blank line before each group of identifiers. Texts
are separated from their identifier by a tab; the language names are written with four digits
and a blank ("0711 ..."), as the tables always had them. The texts are kept here, in one place,
so a translation can be read and reviewed side by side with the English.

Every translation keeps the English text's access key ("&") and its printf placeholders, in the
same order. Dutch texts are handed out in code page 1250, which lacks the letter i with diaeresis,
so the Dutch wording avoids it.

Each table is numbered by its IDR_LANG_ line in src/resources/resource_ids.h, the header the
resource script and the library's code include as well; the tool fails (status 1) when the
resource script does not list a table under that name.

Run from anywhere: python3 tools/lang_tables.py
"""
import pathlib
import re

# Every table holds these identifiers, in this order; a group starts after a blank line.
GROUPS = (
    tuple(range(1001, 1011)), tuple(range(1011, 1018)), tuple(range(1021, 1030)),
    tuple(range(1031, 1036)), (1051, 1052), tuple(range(1061, 1068)), (2011, 2012, 2013),
    (3011, 3012, 3013, 3014), (4011, 4012, 4013, 4014), tuple(range(5011, 5016)),
    tuple(range(5111, 5115)), (5121,),
    # Names of the languages: 7nn names the language of table 1nn.
    (711, 712, 713, 715, 716, 719, 729, 730, 731, 732),
)
IDS = tuple(i for group in GROUPS for i in group)

# An older wording that the Traditional Chinese table has always carried below the current one;
# the reader takes the first line of an identifier, so it is never shown.
SUPERSEDED = {"chinese_traditional": {4012: "請按「下一步」開始安裝。"}}

# file name, tag as written in the header, comment, texts by identifier. The resource number of
# a table is IDR_LANG_<FILE NAME> in src/resources/resource_ids.h.
TABLES = [
    ("chinese_traditional", "00c1", "Chinese Traditional", """
1001 選用元件安裝程式
1002 安裝(&I)
1003 完成(&F)
1004 是(&Y)
1005 否(&N)
1006 重試(&R)
1007 < 上一步(&B)
1008 下一步(&N) >
1009 取消(&C)
1010 關閉(&C)
1011 安裝檔 %s 遺失或已損毀。
1012 無法開啟印表機 %s。
1013 無法匯入設定檔 %s。
1014 已安裝的設定檔：%d
1015 確定要取消嗎？
1016 沒有適用於此印表機的常用設定檔。
1017 請重新啟動電腦，以完成移除使用中的檔案。
1021 正在複製檔案...
1022 正在匯入設定檔 %s...
1023 正在套用印表機設定...
1024 正在移除檔案...
1025 正在移除資料夾...
1026 正在移除登錄項目...
1027 正在移除字型...
1028 正在移除 USB 裝置項目...
1029 完成。
1031 此功能需要 %d.%d 或更新版本的印表機驅動程式。
1032 檔案 %s 不是有效的設定檔。
1033 記憶體不足，無法完成此作業。
1034 無法刪除檔案 %s。
1035 您沒有變更此印表機設定的權限。
1051 正在處理...
1052 正在移除...
1061 印表機驅動程式
1062 常用設定檔
1063 狀態監視器
1064 字型
1065 USB 驅動程式
1066 色彩設定檔
1067 使用者指南
2011 選取元件
2012 請選取要安裝的選用元件。
2013 元件
3011 選取常用設定檔
3012 為常見用途預先定義的列印設定。
3013 設定檔
3014 描述
4011 準備安裝
4012 按一下 [下一步] 開始安裝。
4013 要安裝的元件：
4014 選取的印表機：%s
5011 移除元件
5012 將從這部電腦移除下列元件：
5013 確定要移除 %s 嗎？
5014 已移除元件。
5015 部分項目無法移除。
5111 安裝完成
5112 已安裝選取的元件。
5113 安裝已取消
5114 未安裝任何元件。
5121 要立即重新啟動電腦嗎？
0711 法文
0712 德文
0713 義大利文
0715 韓文
0716 葡萄牙文
0719 英文
0729 挪威文
0730 葡萄牙文 (葡萄牙)
0731 瑞典文
0732 土耳其文
"""),
    ("french", "000c", "French", """
1001 Programme d'installation des composants facultatifs
1002 &Installer
1003 &Terminer
1004 &Oui
1005 &Non
1006 &Réessayer
1007 < &Précédent
1008 &Suivant >
1009 &Annuler
1010 &Fermer
1011 Le fichier d'installation %s est manquant ou endommagé.
1012 Impossible d'ouvrir l'imprimante %s.
1013 Impossible d'importer le profil %s.
1014 Profils installés : %d
1015 Voulez-vous vraiment annuler ?
1016 Aucun profil commun n'est disponible pour cette imprimante.
1017 Redémarrez l'ordinateur pour terminer la suppression des fichiers en cours d'utilisation.
1021 Copie des fichiers...
1022 Importation du profil %s...
1023 Application des paramètres de l'imprimante...
1024 Suppression des fichiers...
1025 Suppression des dossiers...
1026 Suppression des entrées du Registre...
1027 Suppression des polices...
1028 Suppression des entrées des périphériques USB...
1029 Terminé.
1031 Cette fonctionnalité nécessite la version %d.%d ou ultérieure du pilote d'imprimante.
1032 Le fichier de profil %s n'est pas valide.
1033 Mémoire insuffisante pour terminer l'opération.
1034 Impossible de supprimer le fichier %s.
1035 Vous n'êtes pas autorisé à modifier les paramètres de cette imprimante.
1051 Traitement en cours...
1052 Suppression en cours...
1061 Pilote d'imprimante
1062 Profils communs
1063 Moniteur d'état
1064 Polices
1065 Pilote USB
1066 Profils de couleurs
1067 Guide de l'utilisateur
2011 Sélectionner des composants
2012 Choisissez les composants facultatifs à installer.
2013 Composants
3011 Sélectionner des profils communs
3012 Paramètres d'impression prédéfinis pour les usages courants.
3013 Profils
3014 Description
4011 Prêt pour l'installation
4012 Cliquez sur Suivant pour commencer l'installation.
4013 Composants à installer :
4014 Imprimante sélectionnée : %s
5011 Supprimer des composants
5012 Les composants suivants vont être supprimés de cet ordinateur :
5013 Voulez-vous vraiment supprimer %s ?
5014 Les composants ont été supprimés.
5015 Certains éléments n'ont pas pu être supprimés.
5111 Installation terminée
5112 Les composants sélectionnés ont été installés.
5113 Installation annulée
5114 Aucun composant n'a été installé.
5121 Voulez-vous redémarrer l'ordinateur maintenant ?
0711 Français
0712 Allemand
0713 Italien
0715 Coréen
0716 Portugais
0719 Anglais
0729 Norvégien
0730 Portugais (Portugal)
0731 Suédois
0732 Turc
"""),
    ("german", "0007", "German", """
1001 Installationsprogramm für optionale Komponenten
1002 &Installieren
1003 &Fertig stellen
1004 &Ja
1005 &Nein
1006 &Wiederholen
1007 < &Zurück
1008 &Weiter >
1009 &Abbrechen
1010 &Schließen
1011 Die Installationsdatei %s fehlt oder ist beschädigt.
1012 Der Drucker %s kann nicht geöffnet werden.
1013 Das Profil %s konnte nicht importiert werden.
1014 Installierte Profile: %d
1015 Möchten Sie wirklich abbrechen?
1016 Für diesen Drucker sind keine allgemeinen Profile verfügbar.
1017 Starten Sie den Computer neu, um das Entfernen der noch verwendeten Dateien abzuschließen.
1021 Dateien werden kopiert...
1022 Profil %s wird importiert...
1023 Druckereinstellungen werden übernommen...
1024 Dateien werden entfernt...
1025 Ordner werden entfernt...
1026 Registrierungseinträge werden entfernt...
1027 Schriftarten werden entfernt...
1028 USB-Geräteeinträge werden entfernt...
1029 Fertig.
1031 Diese Funktion erfordert die Druckertreiberversion %d.%d oder höher.
1032 Die Profildatei %s ist ungültig.
1033 Zum Abschließen des Vorgangs ist nicht genügend Arbeitsspeicher vorhanden.
1034 Die Datei %s konnte nicht gelöscht werden.
1035 Sie sind nicht berechtigt, die Einstellungen dieses Druckers zu ändern.
1051 Wird verarbeitet...
1052 Wird entfernt...
1061 Druckertreiber
1062 Allgemeine Profile
1063 Statusmonitor
1064 Schriftarten
1065 USB-Treiber
1066 Farbprofile
1067 Benutzerhandbuch
2011 Komponenten auswählen
2012 Wählen Sie die optionalen Komponenten aus, die installiert werden sollen.
2013 Komponenten
3011 Allgemeine Profile auswählen
3012 Vordefinierte Druckeinstellungen für gängige Zwecke.
3013 Profile
3014 Beschreibung
4011 Bereit zur Installation
4012 Klicken Sie auf Weiter, um die Installation zu starten.
4013 Zu installierende Komponenten:
4014 Ausgewählter Drucker: %s
5011 Komponenten entfernen
5012 Die folgenden Komponenten werden von diesem Computer entfernt:
5013 Möchten Sie %s wirklich entfernen?
5014 Die Komponenten wurden entfernt.
5015 Einige Elemente konnten nicht entfernt werden.
5111 Installation abgeschlossen
5112 Die ausgewählten Komponenten wurden installiert.
5113 Installation abgebrochen
5114 Es wurden keine Komponenten installiert.
5121 Möchten Sie den Computer jetzt neu starten?
0711 Französisch
0712 Deutsch
0713 Italienisch
0715 Koreanisch
0716 Portugiesisch
0719 Englisch
0729 Norwegisch
0730 Portugiesisch (Portugal)
0731 Schwedisch
0732 Türkisch
"""),
    ("italian", "0010", "Italian", """
1001 Programma di installazione dei componenti facoltativi
1002 &Installa
1003 &Fine
1004 &Sì
1005 &No
1006 &Riprova
1007 < &Indietro
1008 &Avanti >
1009 A&nnulla
1010 &Chiudi
1011 Il file di installazione %s è mancante o danneggiato.
1012 Impossibile aprire la stampante %s.
1013 Impossibile importare il profilo %s.
1014 Profili installati: %d
1015 Annullare l'operazione?
1016 Nessun profilo comune disponibile per questa stampante.
1017 Riavviare il computer per completare la rimozione dei file in uso.
1021 Copia dei file in corso...
1022 Importazione del profilo %s in corso...
1023 Applicazione delle impostazioni della stampante in corso...
1024 Rimozione dei file in corso...
1025 Rimozione delle cartelle in corso...
1026 Rimozione delle voci del Registro di sistema in corso...
1027 Rimozione dei tipi di carattere in corso...
1028 Rimozione delle voci dei dispositivi USB in corso...
1029 Operazione completata.
1031 Questa funzionalità richiede la versione %d.%d o successiva del driver della stampante.
1032 Il file di profilo %s non è valido.
1033 Memoria insufficiente per completare l'operazione.
1034 Impossibile eliminare il file %s.
1035 Non si dispone dell'autorizzazione per modificare le impostazioni di questa stampante.
1051 Elaborazione in corso...
1052 Rimozione in corso...
1061 Driver della stampante
1062 Profili comuni
1063 Monitor di stato
1064 Tipi di carattere
1065 Driver USB
1066 Profili colore
1067 Guida per l'utente
2011 Seleziona componenti
2012 Scegliere i componenti facoltativi da installare.
2013 Componenti
3011 Seleziona profili comuni
3012 Impostazioni di stampa predefinite per gli usi comuni.
3013 Profili
3014 Descrizione
4011 Pronto per l'installazione
4012 Fare clic su Avanti per avviare l'installazione.
4013 Componenti da installare:
4014 Stampante selezionata: %s
5011 Rimuovi componenti
5012 I componenti seguenti verranno rimossi dal computer:
5013 Rimuovere %s?
5014 I componenti sono stati rimossi.
5015 Non è stato possibile rimuovere alcuni elementi.
5111 Installazione completata
5112 I componenti selezionati sono stati installati.
5113 Installazione annullata
5114 Nessun componente installato.
5121 Riavviare il computer ora?
0711 Francese
0712 Tedesco
0713 Italiano
0715 Coreano
0716 Portoghese
0719 Inglese
0729 Norvegese
0730 Portoghese (Portogallo)
0731 Svedese
0732 Turco
"""),
    ("japanese", "0011", "Japanese", """
1001 オプション コンポーネント インストーラー
1002 インストール(&I)
1003 完了(&F)
1004 はい(&Y)
1005 いいえ(&N)
1006 再試行(&R)
1007 < 戻る(&B)
1008 次へ(&N) >
1009 キャンセル(&C)
1010 閉じる(&C)
1011 インストール ファイル %s が見つからないか、破損しています。
1012 プリンター %s を開けません。
1013 プロファイル %s をインポートできませんでした。
1014 インストールしたプロファイル: %d
1015 キャンセルしてもよろしいですか?
1016 このプリンターで使用できる共通プロファイルはありません。
1017 使用中のファイルの削除を完了するには、コンピューターを再起動してください。
1021 ファイルをコピーしています...
1022 プロファイル %s をインポートしています...
1023 プリンターの設定を適用しています...
1024 ファイルを削除しています...
1025 フォルダーを削除しています...
1026 レジストリ エントリを削除しています...
1027 フォントを削除しています...
1028 USB デバイスのエントリを削除しています...
1029 完了しました。
1031 この機能を使用するには、プリンター ドライバーのバージョン %d.%d 以降が必要です。
1032 プロファイル ファイル %s は無効です。
1033 操作を完了するのに十分なメモリがありません。
1034 ファイル %s を削除できませんでした。
1035 このプリンターの設定を変更する権限がありません。
1051 処理中...
1052 削除中...
1061 プリンター ドライバー
1062 共通プロファイル
1063 ステータス モニター
1064 フォント
1065 USB ドライバー
1066 カラー プロファイル
1067 ユーザーズ ガイド
2011 コンポーネントの選択
2012 インストールするオプション コンポーネントを選択してください。
2013 コンポーネント
3011 共通プロファイルの選択
3012 一般的な用途向けに定義済みの印刷設定です。
3013 プロファイル
3014 説明
4011 インストールの準備完了
4012 インストールを開始するには [次へ] をクリックしてください。
4013 インストールするコンポーネント:
4014 選択したプリンター: %s
5011 コンポーネントの削除
5012 次のコンポーネントがこのコンピューターから削除されます:
5013 %s を削除してもよろしいですか?
5014 コンポーネントを削除しました。
5015 一部の項目を削除できませんでした。
5111 インストールの完了
5112 選択したコンポーネントをインストールしました。
5113 インストールの中止
5114 コンポーネントはインストールされませんでした。
5121 今すぐコンピューターを再起動しますか?
0711 フランス語
0712 ドイツ語
0713 イタリア語
0715 韓国語
0716 ポルトガル語
0719 英語
0729 ノルウェー語
0730 ポルトガル語 (ポルトガル)
0731 スウェーデン語
0732 トルコ語
"""),
    ("korean", "0012", "Korean", """
1001 선택적 구성 요소 설치 관리자
1002 설치(&I)
1003 마침(&F)
1004 예(&Y)
1005 아니요(&N)
1006 다시 시도(&R)
1007 < 뒤로(&B)
1008 다음(&N) >
1009 취소(&C)
1010 닫기(&C)
1011 설치 파일 %s이(가) 없거나 손상되었습니다.
1012 프린터 %s을(를) 열 수 없습니다.
1013 프로필 %s을(를) 가져올 수 없습니다.
1014 설치된 프로필: %d
1015 취소하시겠습니까?
1016 이 프린터에 사용할 수 있는 공통 프로필이 없습니다.
1017 사용 중인 파일의 제거를 완료하려면 컴퓨터를 다시 시작하십시오.
1021 파일을 복사하는 중...
1022 프로필 %s을(를) 가져오는 중...
1023 프린터 설정을 적용하는 중...
1024 파일을 제거하는 중...
1025 폴더를 제거하는 중...
1026 레지스트리 항목을 제거하는 중...
1027 글꼴을 제거하는 중...
1028 USB 장치 항목을 제거하는 중...
1029 완료되었습니다.
1031 이 기능을 사용하려면 프린터 드라이버 버전 %d.%d 이상이 필요합니다.
1032 프로필 파일 %s이(가) 올바르지 않습니다.
1033 작업을 완료하는 데 필요한 메모리가 부족합니다.
1034 파일 %s을(를) 삭제할 수 없습니다.
1035 이 프린터의 설정을 변경할 수 있는 권한이 없습니다.
1051 처리 중...
1052 제거 중...
1061 프린터 드라이버
1062 공통 프로필
1063 상태 모니터
1064 글꼴
1065 USB 드라이버
1066 색 프로필
1067 사용 설명서
2011 구성 요소 선택
2012 설치할 선택적 구성 요소를 선택하십시오.
2013 구성 요소
3011 공통 프로필 선택
3012 일반적인 용도에 맞게 미리 정의된 인쇄 설정입니다.
3013 프로필
3014 설명
4011 설치 준비 완료
4012 설치를 시작하려면 [다음]을 클릭하십시오.
4013 설치할 구성 요소:
4014 선택한 프린터: %s
5011 구성 요소 제거
5012 다음 구성 요소가 이 컴퓨터에서 제거됩니다:
5013 %s을(를) 제거하시겠습니까?
5014 구성 요소를 제거했습니다.
5015 일부 항목을 제거할 수 없습니다.
5111 설치 완료
5112 선택한 구성 요소를 설치했습니다.
5113 설치 취소됨
5114 설치된 구성 요소가 없습니다.
5121 지금 컴퓨터를 다시 시작하시겠습니까?
0711 프랑스어
0712 독일어
0713 이탈리아어
0715 한국어
0716 포르투갈어
0719 영어
0729 노르웨이어
0730 포르투갈어(포르투갈)
0731 스웨덴어
0732 터키어
"""),
    ("portuguese", "0016", "Portuguese", """
1001 Instalador de componentes opcionais
1002 &Instalar
1003 &Concluir
1004 &Sim
1005 &Não
1006 &Tentar novamente
1007 < &Voltar
1008 &Avançar >
1009 &Cancelar
1010 &Fechar
1011 O arquivo de instalação %s está ausente ou danificado.
1012 Não é possível abrir a impressora %s.
1013 Não foi possível importar o perfil %s.
1014 Perfis instalados: %d
1015 Tem certeza de que deseja cancelar?
1016 Não há perfis comuns disponíveis para esta impressora.
1017 Reinicie o computador para concluir a remoção dos arquivos em uso.
1021 Copiando arquivos...
1022 Importando o perfil %s...
1023 Aplicando as configurações da impressora...
1024 Removendo arquivos...
1025 Removendo pastas...
1026 Removendo entradas do Registro...
1027 Removendo fontes...
1028 Removendo entradas de dispositivos USB...
1029 Concluído.
1031 Este recurso requer a versão %d.%d ou posterior do driver da impressora.
1032 O arquivo de perfil %s não é válido.
1033 Não há memória suficiente para concluir a operação.
1034 Não foi possível excluir o arquivo %s.
1035 Você não tem permissão para alterar as configurações desta impressora.
1051 Processando...
1052 Removendo...
1061 Driver da impressora
1062 Perfis comuns
1063 Monitor de status
1064 Fontes
1065 Driver USB
1066 Perfis de cor
1067 Guia do usuário
2011 Selecionar componentes
2012 Escolha os componentes opcionais que deseja instalar.
2013 Componentes
3011 Selecionar perfis comuns
3012 Configurações de impressão predefinidas para usos comuns.
3013 Perfis
3014 Descrição
4011 Pronto para instalar
4012 Clique em Avançar para iniciar a instalação.
4013 Componentes a instalar:
4014 Impressora selecionada: %s
5011 Remover componentes
5012 Os seguintes componentes serão removidos deste computador:
5013 Tem certeza de que deseja remover %s?
5014 Os componentes foram removidos.
5015 Não foi possível remover alguns itens.
5111 Instalação concluída
5112 Os componentes selecionados foram instalados.
5113 Instalação cancelada
5114 Nenhum componente foi instalado.
5121 Deseja reiniciar o computador agora?
0711 Francês
0712 Alemão
0713 Italiano
0715 Coreano
0716 Português
0719 Inglês
0729 Norueguês
0730 Português (Portugal)
0731 Sueco
0732 Turco
"""),
    ("chinese_simplified", "00c0", "Chinese Simplified", """
1001 可选组件安装程序
1002 安装(&I)
1003 完成(&F)
1004 是(&Y)
1005 否(&N)
1006 重试(&R)
1007 < 上一步(&B)
1008 下一步(&N) >
1009 取消(&C)
1010 关闭(&C)
1011 安装文件 %s 丢失或已损坏。
1012 无法打开打印机 %s。
1013 无法导入配置文件 %s。
1014 已安装的配置文件：%d
1015 确定要取消吗？
1016 没有适用于此打印机的常用配置文件。
1017 请重新启动计算机，以完成删除正在使用的文件。
1021 正在复制文件...
1022 正在导入配置文件 %s...
1023 正在应用打印机设置...
1024 正在删除文件...
1025 正在删除文件夹...
1026 正在删除注册表项...
1027 正在删除字体...
1028 正在删除 USB 设备项...
1029 完成。
1031 此功能需要 %d.%d 或更高版本的打印机驱动程序。
1032 文件 %s 不是有效的配置文件。
1033 内存不足，无法完成该操作。
1034 无法删除文件 %s。
1035 您没有更改此打印机设置的权限。
1051 正在处理...
1052 正在删除...
1061 打印机驱动程序
1062 常用配置文件
1063 状态监视器
1064 字体
1065 USB 驱动程序
1066 颜色配置文件
1067 用户指南
2011 选择组件
2012 请选择要安装的可选组件。
2013 组件
3011 选择常用配置文件
3012 为常见用途预先定义的打印设置。
3013 配置文件
3014 描述
4011 准备安装
4012 单击“下一步”开始安装。
4013 要安装的组件：
4014 所选打印机：%s
5011 删除组件
5012 将从此计算机中删除以下组件：
5013 确定要删除 %s 吗？
5014 已删除组件。
5015 某些项目无法删除。
5111 安装完成
5112 已安装所选组件。
5113 安装已取消
5114 未安装任何组件。
5121 是否立即重新启动计算机？
0711 法语
0712 德语
0713 意大利语
0715 韩语
0716 葡萄牙语
0719 英语
0729 挪威语
0730 葡萄牙语(葡萄牙)
0731 瑞典语
0732 土耳其语
"""),
    ("spanish", "000a", "Spanish", """
1001 Instalador de componentes opcionales
1002 &Instalar
1003 &Finalizar
1004 &Sí
1005 &No
1006 &Reintentar
1007 < &Atrás
1008 &Siguiente >
1009 &Cancelar
1010 &Cerrar
1011 Falta el archivo de instalación %s o está dañado.
1012 No se puede abrir la impresora %s.
1013 No se pudo importar el perfil %s.
1014 Perfiles instalados: %d
1015 ¿Está seguro de que desea cancelar?
1016 No hay perfiles comunes disponibles para esta impresora.
1017 Reinicie el equipo para terminar de quitar los archivos en uso.
1021 Copiando archivos...
1022 Importando el perfil %s...
1023 Aplicando la configuración de la impresora...
1024 Quitando archivos...
1025 Quitando carpetas...
1026 Quitando entradas del Registro...
1027 Quitando fuentes...
1028 Quitando entradas de dispositivos USB...
1029 Listo.
1031 Esta característica requiere la versión %d.%d o posterior del controlador de impresora.
1032 El archivo de perfil %s no es válido.
1033 No hay suficiente memoria para completar la operación.
1034 No se pudo eliminar el archivo %s.
1035 No tiene permiso para cambiar la configuración de esta impresora.
1051 Procesando...
1052 Quitando...
1061 Controlador de impresora
1062 Perfiles comunes
1063 Monitor de estado
1064 Fuentes
1065 Controlador USB
1066 Perfiles de color
1067 Guía del usuario
2011 Seleccionar componentes
2012 Elija los componentes opcionales que desea instalar.
2013 Componentes
3011 Seleccionar perfiles comunes
3012 Configuraciones de impresión predefinidas para usos comunes.
3013 Perfiles
3014 Descripción
4011 Listo para instalar
4012 Haga clic en Siguiente para iniciar la instalación.
4013 Componentes que se van a instalar:
4014 Impresora seleccionada: %s
5011 Quitar componentes
5012 Se quitarán los siguientes componentes de este equipo:
5013 ¿Está seguro de que desea quitar %s?
5014 Se quitaron los componentes.
5015 No se pudieron quitar algunos elementos.
5111 Instalación completada
5112 Se instalaron los componentes seleccionados.
5113 Instalación cancelada
5114 No se instaló ningún componente.
5121 ¿Desea reiniciar el equipo ahora?
0711 Francés
0712 Alemán
0713 Italiano
0715 Coreano
0716 Portugués
0719 Inglés
0729 Noruego
0730 Portugués (Portugal)
0731 Sueco
0732 Turco
"""),
    ("english", "0009", "English Neutral", """
1001 Optional Component Installer
1002 &Install
1003 &Finish
1004 &Yes
1005 &No
1006 &Retry
1007 < &Back
1008 &Next >
1009 &Cancel
1010 &Close
1011 The installation file %s is missing or damaged.
1012 The printer %s cannot be opened.
1013 The profile %s could not be imported.
1014 Profiles installed: %d
1015 Are you sure you want to cancel?
1016 No common profiles are available for this printer.
1017 Restart your computer to finish removing the files in use.
1021 Copying files...
1022 Importing profile %s...
1023 Applying the printer settings...
1024 Removing files...
1025 Removing folders...
1026 Removing registry entries...
1027 Removing fonts...
1028 Removing USB device entries...
1029 Done.
1031 This feature requires printer driver version %d.%d or later.
1032 The profile file %s is not valid.
1033 There is not enough memory to complete the operation.
1034 The file %s could not be deleted.
1035 You do not have permission to change the settings of this printer.
1051 Processing...
1052 Removing...
1061 Printer Driver
1062 Common Profiles
1063 Status Monitor
1064 Fonts
1065 USB Driver
1066 Color Profiles
1067 User Guide
2011 Select Components
2012 Choose the optional components to install.
2013 Components
3011 Select Common Profiles
3012 Pre-defined print settings for common uses.
3013 Profiles
3014 Description
4011 Ready to Install
4012 Click Next to begin the installation.
4013 Components to install:
4014 Selected printer: %s
5011 Remove Components
5012 The following components will be removed from this computer:
5013 Are you sure you want to remove %s?
5014 The components were removed.
5015 Some items could not be removed.
5111 Installation Complete
5112 The selected components have been installed.
5113 Installation Cancelled
5114 No components were installed.
5121 Do you want to restart your computer now?
0711 French
0712 German
0713 Italian
0715 Korean
0716 Portuguese
0719 English
0729 Norwegian
0730 Portuguese (Portugal)
0731 Swedish
0732 Turkish
"""),
    ("russian", "0019", "Russian", """
1001 Установка дополнительных компонентов
1002 &Установить
1003 &Готово
1004 &Да
1005 &Нет
1006 &Повторить
1007 < &Назад
1008 &Далее >
1009 &Отмена
1010 &Закрыть
1011 Файл установки %s отсутствует или поврежден.
1012 Не удается открыть принтер %s.
1013 Не удалось импортировать профиль %s.
1014 Установлено профилей: %d
1015 Вы действительно хотите отменить?
1016 Для этого принтера нет общих профилей.
1017 Перезагрузите компьютер, чтобы завершить удаление используемых файлов.
1021 Копирование файлов...
1022 Импорт профиля %s...
1023 Применение параметров принтера...
1024 Удаление файлов...
1025 Удаление папок...
1026 Удаление записей реестра...
1027 Удаление шрифтов...
1028 Удаление записей USB-устройств...
1029 Готово.
1031 Для этой функции требуется драйвер принтера версии %d.%d или более поздней.
1032 Файл профиля %s недопустим.
1033 Недостаточно памяти для завершения операции.
1034 Не удалось удалить файл %s.
1035 У вас нет разрешения на изменение параметров этого принтера.
1051 Обработка...
1052 Удаление...
1061 Драйвер принтера
1062 Общие профили
1063 Монитор состояния
1064 Шрифты
1065 Драйвер USB
1066 Цветовые профили
1067 Руководство пользователя
2011 Выбор компонентов
2012 Выберите дополнительные компоненты для установки.
2013 Компоненты
3011 Выбор общих профилей
3012 Готовые параметры печати для типичных задач.
3013 Профили
3014 Описание
4011 Все готово к установке
4012 Нажмите кнопку «Далее», чтобы начать установку.
4013 Устанавливаемые компоненты:
4014 Выбранный принтер: %s
5011 Удаление компонентов
5012 С этого компьютера будут удалены следующие компоненты:
5013 Вы действительно хотите удалить %s?
5014 Компоненты удалены.
5015 Не удалось удалить некоторые элементы.
5111 Установка завершена
5112 Выбранные компоненты установлены.
5113 Установка отменена
5114 Компоненты не установлены.
5121 Перезагрузить компьютер сейчас?
0711 Французский
0712 Немецкий
0713 Итальянский
0715 Корейский
0716 Португальский
0719 Английский
0729 Норвежский
0730 Португальский (Португалия)
0731 Шведский
0732 Турецкий
"""),
    ("czech", "0005", "Czech", """
1001 Instalační program volitelných součástí
1002 &Instalovat
1003 &Dokončit
1004 &Ano
1005 &Ne
1006 &Opakovat
1007 < &Zpět
1008 &Další >
1009 &Storno
1010 &Zavřít
1011 Instalační soubor %s chybí nebo je poškozený.
1012 Tiskárnu %s nelze otevřít.
1013 Profil %s nelze importovat.
1014 Nainstalované profily: %d
1015 Opravdu chcete akci zrušit?
1016 Pro tuto tiskárnu nejsou k dispozici žádné běžné profily.
1017 Restartujte počítač, aby bylo možné dokončit odebrání používaných souborů.
1021 Kopírování souborů...
1022 Importování profilu %s...
1023 Používání nastavení tiskárny...
1024 Odebírání souborů...
1025 Odebírání složek...
1026 Odebírání položek registru...
1027 Odebírání písem...
1028 Odebírání položek zařízení USB...
1029 Hotovo.
1031 Tato funkce vyžaduje ovladač tiskárny verze %d.%d nebo novější.
1032 Soubor profilu %s je neplatný.
1033 K dokončení operace není dostatek paměti.
1034 Soubor %s nelze odstranit.
1035 Nemáte oprávnění ke změně nastavení této tiskárny.
1051 Zpracování...
1052 Odebírání...
1061 Ovladač tiskárny
1062 Běžné profily
1063 Monitor stavu
1064 Písma
1065 Ovladač USB
1066 Barevné profily
1067 Uživatelská příručka
2011 Výběr součástí
2012 Vyberte volitelné součásti, které chcete nainstalovat.
2013 Součásti
3011 Vyberte běžné profily
3012 Předdefinovaná nastavení tisku pro běžné použití.
3013 Profily
3014 Popis
4011 Připraveno k instalaci
4012 Instalaci zahájíte kliknutím na tlačítko Další.
4013 Součásti k instalaci:
4014 Vybraná tiskárna: %s
5011 Odebrat součásti
5012 Z tohoto počítače budou odebrány následující součásti:
5013 Opravdu chcete odebrat %s?
5014 Součásti byly odebrány.
5015 Některé položky nebylo možné odebrat.
5111 Instalace byla dokončena
5112 Vybrané součásti byly nainstalovány.
5113 Instalace byla zrušena
5114 Nebyly nainstalovány žádné součásti.
5121 Chcete nyní restartovat počítač?
0711 Francouzština
0712 Němčina
0713 Italština
0715 Korejština
0716 Portugalština
0719 Angličtina
0729 Norština
0730 Portugalština (Portugalsko)
0731 Švédština
0732 Turečtina
"""),
    ("polish", "0015", "Polish", """
1001 Instalator składników opcjonalnych
1002 &Zainstaluj
1003 &Zakończ
1004 &Tak
1005 &Nie
1006 &Ponów próbę
1007 < &Wstecz
1008 &Dalej >
1009 &Anuluj
1010 Za&mknij
1011 Brak pliku instalacyjnego %s lub plik jest uszkodzony.
1012 Nie można otworzyć drukarki %s.
1013 Nie można zaimportować profilu %s.
1014 Zainstalowane profile: %d
1015 Czy na pewno chcesz anulować?
1016 Dla tej drukarki nie są dostępne żadne typowe profile.
1017 Uruchom ponownie komputer, aby dokończyć usuwanie używanych plików.
1021 Kopiowanie plików...
1022 Importowanie profilu %s...
1023 Stosowanie ustawień drukarki...
1024 Usuwanie plików...
1025 Usuwanie folderów...
1026 Usuwanie wpisów rejestru...
1027 Usuwanie czcionek...
1028 Usuwanie wpisów urządzeń USB...
1029 Gotowe.
1031 Ta funkcja wymaga sterownika drukarki w wersji %d.%d lub nowszej.
1032 Plik profilu %s jest nieprawidłowy.
1033 Za mało pamięci, aby ukończyć operację.
1034 Nie można usunąć pliku %s.
1035 Nie masz uprawnień do zmiany ustawień tej drukarki.
1051 Przetwarzanie...
1052 Usuwanie...
1061 Sterownik drukarki
1062 Typowe profile
1063 Monitor stanu
1064 Czcionki
1065 Sterownik USB
1066 Profile kolorów
1067 Podręcznik użytkownika
2011 Wybierz składniki
2012 Wybierz składniki opcjonalne do zainstalowania.
2013 Składniki
3011 Wybierz typowe profile
3012 Wstępnie zdefiniowane ustawienia drukowania do typowych zastosowań.
3013 Profile
3014 Opis
4011 Gotowe do instalacji
4012 Kliknij przycisk Dalej, aby rozpocząć instalację.
4013 Składniki do zainstalowania:
4014 Wybrana drukarka: %s
5011 Usuń składniki
5012 Z tego komputera zostaną usunięte następujące składniki:
5013 Czy na pewno chcesz usunąć %s?
5014 Składniki zostały usunięte.
5015 Nie można usunąć niektórych elementów.
5111 Instalacja zakończona
5112 Wybrane składniki zostały zainstalowane.
5113 Instalacja anulowana
5114 Nie zainstalowano żadnych składników.
5121 Czy chcesz teraz ponownie uruchomić komputer?
0711 Francuski
0712 Niemiecki
0713 Włoski
0715 Koreański
0716 Portugalski
0719 Angielski
0729 Norweski
0730 Portugalski (Portugalia)
0731 Szwedzki
0732 Turecki
"""),
    ("dutch", "0013", "Dutch", """
1001 Installatieprogramma voor optionele onderdelen
1002 &Installeren
1003 &Voltooien
1004 &Ja
1005 &Nee
1006 &Opnieuw
1007 < V&orige
1008 &Volgende >
1009 &Annuleren
1010 &Sluiten
1011 Het installatiebestand %s ontbreekt of is beschadigd.
1012 De printer %s kan niet worden geopend.
1013 Het importeren van profiel %s is mislukt.
1014 Toegevoegde profielen: %d
1015 Weet u zeker dat u wilt annuleren?
1016 Er zijn geen algemene profielen beschikbaar voor deze printer.
1017 Start de computer opnieuw op om het verwijderen van de bestanden die in gebruik zijn te voltooien.
1021 Bestanden kopiëren...
1022 Profiel %s importeren...
1023 Printerinstellingen toepassen...
1024 Bestanden verwijderen...
1025 Mappen verwijderen...
1026 Registervermeldingen verwijderen...
1027 Lettertypen verwijderen...
1028 Vermeldingen van USB-apparaten verwijderen...
1029 Gereed.
1031 Voor deze functie is versie %d.%d of hoger van het printerstuurprogramma vereist.
1032 Het profielbestand %s is ongeldig.
1033 Er is onvoldoende geheugen om de bewerking te voltooien.
1034 Het bestand %s kan niet worden verwijderd.
1035 U bent niet gemachtigd om de instellingen van deze printer te wijzigen.
1051 Bezig met verwerken...
1052 Bezig met verwijderen...
1061 Printerstuurprogramma
1062 Algemene profielen
1063 Statusmonitor
1064 Lettertypen
1065 USB-stuurprogramma
1066 Kleurprofielen
1067 Gebruikershandleiding
2011 Onderdelen selecteren
2012 Kies de optionele onderdelen die u wilt installeren.
2013 Onderdelen
3011 Algemene profielen selecteren
3012 Vooraf gedefinieerde afdrukinstellingen voor algemeen gebruik.
3013 Profielen
3014 Beschrijving
4011 Klaar om te installeren
4012 Klik op Volgende om de installatie te starten.
4013 Te installeren onderdelen:
4014 Geselecteerde printer: %s
5011 Onderdelen verwijderen
5012 De volgende onderdelen worden van deze computer verwijderd:
5013 Weet u zeker dat u %s wilt verwijderen?
5014 De onderdelen zijn verwijderd.
5015 Sommige items kunnen niet worden verwijderd.
5111 Installatie voltooid
5112 De installatie van de geselecteerde onderdelen is voltooid.
5113 Installatie geannuleerd
5114 Er zijn geen onderdelen aan deze computer toegevoegd.
5121 Wilt u de computer nu opnieuw opstarten?
0711 Frans
0712 Duits
0713 Italiaans
0715 Koreaans
0716 Portugees
0719 Engels
0729 Noors
0730 Portugees (Portugal)
0731 Zweeds
0732 Turks
"""),
    ("danish", "0006", "Danish", """
1001 Installationsprogram til valgfrie komponenter
1002 &Installer
1003 &Udfør
1004 &Ja
1005 &Nej
1006 &Prøv igen
1007 < &Tilbage
1008 &Næste >
1009 &Annuller
1010 &Luk
1011 Installationsfilen %s mangler eller er beskadiget.
1012 Printeren %s kan ikke åbnes.
1013 Profilen %s kunne ikke importeres.
1014 Installerede profiler: %d
1015 Er du sikker på, at du vil annullere?
1016 Der er ingen almindelige profiler til denne printer.
1017 Genstart computeren for at fuldføre fjernelsen af de filer, der er i brug.
1021 Kopierer filer...
1022 Importerer profilen %s...
1023 Anvender printerindstillingerne...
1024 Fjerner filer...
1025 Fjerner mapper...
1026 Fjerner poster i registreringsdatabasen...
1027 Fjerner skrifttyper...
1028 Fjerner poster for USB-enheder...
1029 Færdig.
1031 Denne funktion kræver version %d.%d eller nyere af printerdriveren.
1032 Profilfilen %s er ugyldig.
1033 Der er ikke nok hukommelse til at fuldføre handlingen.
1034 Filen %s kunne ikke slettes.
1035 Du har ikke tilladelse til at ændre indstillingerne for denne printer.
1051 Behandler...
1052 Fjerner...
1061 Printerdriver
1062 Almindelige profiler
1063 Statusovervågning
1064 Skrifttyper
1065 USB-driver
1066 Farveprofiler
1067 Brugervejledning
2011 Vælg komponenter
2012 Vælg de valgfrie komponenter, der skal installeres.
2013 Komponenter
3011 Vælg almindelige profiler
3012 Foruddefinerede udskriftsindstillinger til almindelig brug.
3013 Profiler
3014 Beskrivelse
4011 Klar til installation
4012 Klik på Næste for at starte installationen.
4013 Komponenter, der skal installeres:
4014 Valgt printer: %s
5011 Fjern komponenter
5012 Følgende komponenter fjernes fra denne computer:
5013 Er du sikker på, at du vil fjerne %s?
5014 Komponenterne er fjernet.
5015 Nogle elementer kunne ikke fjernes.
5111 Installationen er fuldført
5112 De valgte komponenter er installeret.
5113 Installationen er annulleret
5114 Der blev ikke installeret nogen komponenter.
5121 Vil du genstarte computeren nu?
0711 Fransk
0712 Tysk
0713 Italiensk
0715 Koreansk
0716 Portugisisk
0719 Engelsk
0729 Norsk
0730 Portugisisk (Portugal)
0731 Svensk
0732 Tyrkisk
"""),
    ("finnish", "000b", "Finnish", """
1001 Valinnaisten osien asennusohjelma
1002 &Asenna
1003 &Valmis
1004 &Kyllä
1005 &Ei
1006 &Yritä uudelleen
1007 < &Edellinen
1008 &Seuraava >
1009 &Peruuta
1010 &Sulje
1011 Asennustiedosto %s puuttuu tai on vahingoittunut.
1012 Tulostinta %s ei voi avata.
1013 Profiilia %s ei voitu tuoda.
1014 Asennetut profiilit: %d
1015 Haluatko varmasti peruuttaa?
1016 Tälle tulostimelle ei ole saatavilla yleisiä profiileja.
1017 Käynnistä tietokone uudelleen, jotta käytössä olevien tiedostojen poistaminen voidaan viedä loppuun.
1021 Kopioidaan tiedostoja...
1022 Tuodaan profiilia %s...
1023 Otetaan tulostimen asetuksia käyttöön...
1024 Poistetaan tiedostoja...
1025 Poistetaan kansioita...
1026 Poistetaan rekisterimerkintöjä...
1027 Poistetaan fontteja...
1028 Poistetaan USB-laitteiden merkintöjä...
1029 Valmis.
1031 Tämä toiminto edellyttää tulostinohjaimen versiota %d.%d tai uudempaa.
1032 Profiilitiedosto %s ei kelpaa.
1033 Muisti ei riitä toiminnon suorittamiseen.
1034 Tiedostoa %s ei voitu poistaa.
1035 Sinulla ei ole oikeutta muuttaa tämän tulostimen asetuksia.
1051 Käsitellään...
1052 Poistetaan...
1061 Tulostinohjain
1062 Yleiset profiilit
1063 Tilanvalvonta
1064 Fontit
1065 USB-ohjain
1066 Väriprofiilit
1067 Käyttöopas
2011 Valitse osat
2012 Valitse asennettavat valinnaiset osat.
2013 Osat
3011 Valitse yleiset profiilit
3012 Valmiit tulostusasetukset yleisiin käyttötarkoituksiin.
3013 Profiilit
3014 Kuvaus
4011 Valmis asennettavaksi
4012 Aloita asennus valitsemalla Seuraava.
4013 Asennettavat osat:
4014 Valittu tulostin: %s
5011 Poista osat
5012 Seuraavat osat poistetaan tästä tietokoneesta:
5013 Haluatko varmasti poistaa kohteen %s?
5014 Osat on poistettu.
5015 Joitakin kohteita ei voitu poistaa.
5111 Asennus on valmis
5112 Valitut osat on asennettu.
5113 Asennus peruutettiin
5114 Osia ei asennettu.
5121 Haluatko käynnistää tietokoneen uudelleen nyt?
0711 Ranska
0712 Saksa
0713 Italia
0715 Korea
0716 Portugali
0719 Englanti
0729 Norja
0730 Portugali (Portugali)
0731 Ruotsi
0732 Turkki
"""),
    ("greek", "0008", "Greek", """
1001 Πρόγραμμα εγκατάστασης προαιρετικών στοιχείων
1002 &Εγκατάσταση
1003 &Τέλος
1004 &Ναι
1005 &Όχι
1006 &Επανάληψη
1007 < &Πίσω
1008 &Επόμενο >
1009 &Άκυρο
1010 &Κλείσιμο
1011 Το αρχείο εγκατάστασης %s λείπει ή είναι κατεστραμμένο.
1012 Δεν είναι δυνατό το άνοιγμα του εκτυπωτή %s.
1013 Δεν ήταν δυνατή η εισαγωγή του προφίλ %s.
1014 Εγκατεστημένα προφίλ: %d
1015 Είστε βέβαιοι ότι θέλετε να ακυρώσετε;
1016 Δεν υπάρχουν διαθέσιμα κοινά προφίλ για αυτόν τον εκτυπωτή.
1017 Επανεκκινήστε τον υπολογιστή για να ολοκληρωθεί η κατάργηση των αρχείων που χρησιμοποιούνται.
1021 Αντιγραφή αρχείων...
1022 Εισαγωγή του προφίλ %s...
1023 Εφαρμογή των ρυθμίσεων του εκτυπωτή...
1024 Κατάργηση αρχείων...
1025 Κατάργηση φακέλων...
1026 Κατάργηση καταχωρήσεων μητρώου...
1027 Κατάργηση γραμματοσειρών...
1028 Κατάργηση καταχωρήσεων συσκευών USB...
1029 Ολοκληρώθηκε.
1031 Αυτή η δυνατότητα απαιτεί την έκδοση %d.%d ή νεότερη του προγράμματος οδήγησης του εκτυπωτή.
1032 Το αρχείο προφίλ %s δεν είναι έγκυρο.
1033 Δεν υπάρχει αρκετή μνήμη για την ολοκλήρωση της λειτουργίας.
1034 Δεν ήταν δυνατή η διαγραφή του αρχείου %s.
1035 Δεν έχετε δικαίωμα να αλλάξετε τις ρυθμίσεις αυτού του εκτυπωτή.
1051 Επεξεργασία...
1052 Κατάργηση...
1061 Πρόγραμμα οδήγησης εκτυπωτή
1062 Κοινά προφίλ
1063 Παρακολούθηση κατάστασης
1064 Γραμματοσειρές
1065 Πρόγραμμα οδήγησης USB
1066 Προφίλ χρωμάτων
1067 Οδηγός χρήσης
2011 Επιλογή στοιχείων
2012 Επιλέξτε τα προαιρετικά στοιχεία που θέλετε να εγκαταστήσετε.
2013 Στοιχεία
3011 Επιλογή κοινών προφίλ
3012 Προκαθορισμένες ρυθμίσεις εκτύπωσης για συνήθεις χρήσεις.
3013 Προφίλ
3014 Περιγραφή
4011 Έτοιμο για εγκατάσταση
4012 Κάντε κλικ στο κουμπί Επόμενο για να ξεκινήσει η εγκατάσταση.
4013 Στοιχεία προς εγκατάσταση:
4014 Επιλεγμένος εκτυπωτής: %s
5011 Κατάργηση στοιχείων
5012 Τα παρακάτω στοιχεία θα καταργηθούν από αυτόν τον υπολογιστή:
5013 Είστε βέβαιοι ότι θέλετε να καταργήσετε το %s;
5014 Τα στοιχεία καταργήθηκαν.
5015 Δεν ήταν δυνατή η κατάργηση ορισμένων στοιχείων.
5111 Η εγκατάσταση ολοκληρώθηκε
5112 Τα επιλεγμένα στοιχεία εγκαταστάθηκαν.
5113 Η εγκατάσταση ακυρώθηκε
5114 Δεν εγκαταστάθηκε κανένα στοιχείο.
5121 Θέλετε να γίνει επανεκκίνηση του υπολογιστή τώρα;
0711 Γαλλικά
0712 Γερμανικά
0713 Ιταλικά
0715 Κορεατικά
0716 Πορτογαλικά
0719 Αγγλικά
0729 Νορβηγικά
0730 Πορτογαλικά (Πορτογαλία)
0731 Σουηδικά
0732 Τουρκικά
"""),
    ("hungarian", "000e", "Hungarian", """
1001 Választható összetevők telepítője
1002 &Telepítés
1003 &Befejezés
1004 &Igen
1005 &Nem
1006 Ú&jra
1007 < &Vissza
1008 &Tovább >
1009 &Mégse
1010 &Bezárás
1011 A(z) %s telepítőfájl hiányzik vagy sérült.
1012 A(z) %s nyomtató nem nyitható meg.
1013 A(z) %s profil nem importálható.
1014 Telepített profilok: %d
1015 Biztosan megszakítja a műveletet?
1016 Ehhez a nyomtatóhoz nem érhető el általános profil.
1017 A használatban lévő fájlok eltávolításának befejezéséhez indítsa újra a számítógépet.
1021 Fájlok másolása...
1022 A(z) %s profil importálása...
1023 A nyomtatóbeállítások alkalmazása...
1024 Fájlok eltávolítása...
1025 Mappák eltávolítása...
1026 Beállításjegyzék-bejegyzések eltávolítása...
1027 Betűtípusok eltávolítása...
1028 USB-eszközbejegyzések eltávolítása...
1029 Kész.
1031 Ehhez a funkcióhoz a nyomtató-illesztőprogram %d.%d vagy újabb verziója szükséges.
1032 A(z) %s profilfájl érvénytelen.
1033 Nincs elég memória a művelet befejezéséhez.
1034 A(z) %s fájl nem törölhető.
1035 Nincs jogosultsága a nyomtató beállításainak módosításához.
1051 Feldolgozás...
1052 Eltávolítás...
1061 Nyomtató-illesztőprogram
1062 Általános profilok
1063 Állapotfigyelő
1064 Betűtípusok
1065 USB-illesztőprogram
1066 Színprofilok
1067 Felhasználói útmutató
2011 Összetevők kiválasztása
2012 Válassza ki a telepítendő választható összetevőket.
2013 Összetevők
3011 Általános profilok kiválasztása
3012 Előre megadott nyomtatási beállítások gyakori feladatokhoz.
3013 Profilok
3014 Leírás
4011 Telepítésre kész
4012 A telepítés megkezdéséhez kattintson a Tovább gombra.
4013 Telepítendő összetevők:
4014 Kiválasztott nyomtató: %s
5011 Összetevők eltávolítása
5012 A program a következő összetevőket eltávolítja a számítógépről:
5013 Biztosan eltávolítja a következőt: %s?
5014 Az összetevők eltávolítása megtörtént.
5015 Néhány elemet nem sikerült eltávolítani.
5111 A telepítés befejeződött
5112 A kiválasztott összetevők telepítése megtörtént.
5113 A telepítés megszakadt
5114 Egy összetevő sem lett telepítve.
5121 Újraindítja most a számítógépet?
0711 Francia
0712 Német
0713 Olasz
0715 Koreai
0716 Portugál
0719 Angol
0729 Norvég
0730 Portugál (Portugália)
0731 Svéd
0732 Török
"""),
    ("lithuanian", "0027", "Lithuanian", """
1001 Papildomų komponentų diegimo programa
1002 Į&diegti
1003 &Baigti
1004 &Taip
1005 &Ne
1006 Ba&ndyti dar kartą
1007 < &Atgal
1008 &Toliau >
1009 Atšau&kti
1010 &Uždaryti
1011 Diegimo failo %s nėra arba jis sugadintas.
1012 Nepavyksta atidaryti spausdintuvo %s.
1013 Nepavyko importuoti profilio %s.
1014 Įdiegta profilių: %d
1015 Ar tikrai norite atšaukti?
1016 Šiam spausdintuvui nėra bendrųjų profilių.
1017 Iš naujo paleiskite kompiuterį, kad būtų baigta šalinti naudojamus failus.
1021 Kopijuojami failai...
1022 Importuojamas profilis %s...
1023 Taikomi spausdintuvo parametrai...
1024 Šalinami failai...
1025 Šalinami aplankai...
1026 Šalinami registro įrašai...
1027 Šalinami šriftai...
1028 Šalinami USB įrenginių įrašai...
1029 Atlikta.
1031 Šiai funkcijai reikalinga %d.%d arba naujesnė spausdintuvo tvarkyklės versija.
1032 Profilio failas %s netinkamas.
1033 Nepakanka atminties operacijai užbaigti.
1034 Nepavyko panaikinti failo %s.
1035 Neturite teisės keisti šio spausdintuvo parametrų.
1051 Apdorojama...
1052 Šalinama...
1061 Spausdintuvo tvarkyklė
1062 Bendrieji profiliai
1063 Būsenos stebėjimo priemonė
1064 Šriftai
1065 USB tvarkyklė
1066 Spalvų profiliai
1067 Vartotojo vadovas
2011 Pasirinkite komponentus
2012 Pasirinkite, kuriuos papildomus komponentus diegti.
2013 Komponentai
3011 Pasirinkite bendruosius profilius
3012 Iš anksto nustatyti spausdinimo parametrai įprastiems poreikiams.
3013 Profiliai
3014 Aprašas
4011 Paruošta diegti
4012 Spustelėkite Toliau, kad pradėtumėte diegimą.
4013 Diegiami komponentai:
4014 Pasirinktas spausdintuvas: %s
5011 Komponentų šalinimas
5012 Iš šio kompiuterio bus pašalinti šie komponentai:
5013 Ar tikrai norite pašalinti %s?
5014 Komponentai pašalinti.
5015 Kai kurių elementų pašalinti nepavyko.
5111 Diegimas baigtas
5112 Pasirinkti komponentai įdiegti.
5113 Diegimas atšauktas
5114 Neįdiegtas nė vienas komponentas.
5121 Ar norite iš naujo paleisti kompiuterį dabar?
0711 Prancūzų
0712 Vokiečių
0713 Italų
0715 Korėjiečių
0716 Portugalų
0719 Anglų
0729 Norvegų
0730 Portugalų (Portugalija)
0731 Švedų
0732 Turkų
"""),
    ("norwegian", "0014", "Norwegian", """
1001 Installasjonsprogram for valgfrie komponenter
1002 &Installer
1003 &Fullfør
1004 &Ja
1005 &Nei
1006 &Prøv igjen
1007 < &Tilbake
1008 &Neste >
1009 &Avbryt
1010 &Lukk
1011 Installasjonsfilen %s mangler eller er skadet.
1012 Kan ikke åpne skriveren %s.
1013 Kunne ikke importere profilen %s.
1014 Installerte profiler: %d
1015 Er du sikker på at du vil avbryte?
1016 Det finnes ingen vanlige profiler for denne skriveren.
1017 Start datamaskinen på nytt for å fullføre fjerningen av filene som er i bruk.
1021 Kopierer filer...
1022 Importerer profilen %s...
1023 Tar i bruk skriverinnstillingene...
1024 Fjerner filer...
1025 Fjerner mapper...
1026 Fjerner registeroppføringer...
1027 Fjerner skrifter...
1028 Fjerner oppføringer for USB-enheter...
1029 Ferdig.
1031 Denne funksjonen krever versjon %d.%d eller nyere av skriverdriveren.
1032 Profilfilen %s er ugyldig.
1033 Det er ikke nok minne til å fullføre operasjonen.
1034 Kunne ikke slette filen %s.
1035 Du har ikke tillatelse til å endre innstillingene for denne skriveren.
1051 Behandler...
1052 Fjerner...
1061 Skriverdriver
1062 Vanlige profiler
1063 Statusovervåking
1064 Skrifter
1065 USB-driver
1066 Fargeprofiler
1067 Brukerveiledning
2011 Velg komponenter
2012 Velg de valgfrie komponentene som skal installeres.
2013 Komponenter
3011 Velg vanlige profiler
3012 Forhåndsdefinerte utskriftsinnstillinger for vanlig bruk.
3013 Profiler
3014 Beskrivelse
4011 Klar til installering
4012 Klikk Neste for å starte installeringen.
4013 Komponenter som skal installeres:
4014 Valgt skriver: %s
5011 Fjern komponenter
5012 Følgende komponenter fjernes fra denne datamaskinen:
5013 Er du sikker på at du vil fjerne %s?
5014 Komponentene er fjernet.
5015 Noen elementer kunne ikke fjernes.
5111 Installeringen er fullført
5112 De valgte komponentene er installert.
5113 Installeringen er avbrutt
5114 Ingen komponenter ble installert.
5121 Vil du starte datamaskinen på nytt nå?
0711 Fransk
0712 Tysk
0713 Italiensk
0715 Koreansk
0716 Portugisisk
0719 Engelsk
0729 Norsk
0730 Portugisisk (Portugal)
0731 Svensk
0732 Tyrkisk
"""),
    ("portuguese_portugal", "0816", "Portuguese (Portugal)", """
1001 Instalador de componentes opcionais
1002 &Instalar
1003 &Concluir
1004 &Sim
1005 &Não
1006 &Tentar novamente
1007 < &Anterior
1008 &Seguinte >
1009 &Cancelar
1010 &Fechar
1011 O ficheiro de instalação %s está em falta ou danificado.
1012 Não é possível abrir a impressora %s.
1013 Não foi possível importar o perfil %s.
1014 Perfis instalados: %d
1015 Tem a certeza de que pretende cancelar?
1016 Não existem perfis comuns disponíveis para esta impressora.
1017 Reinicie o computador para concluir a remoção dos ficheiros em utilização.
1021 A copiar ficheiros...
1022 A importar o perfil %s...
1023 A aplicar as definições da impressora...
1024 A remover ficheiros...
1025 A remover pastas...
1026 A remover entradas do registo...
1027 A remover tipos de letra...
1028 A remover entradas de dispositivos USB...
1029 Concluído.
1031 Esta funcionalidade requer a versão %d.%d ou posterior do controlador da impressora.
1032 O ficheiro de perfil %s não é válido.
1033 Não existe memória suficiente para concluir a operação.
1034 Não foi possível eliminar o ficheiro %s.
1035 Não tem permissão para alterar as definições desta impressora.
1051 A processar...
1052 A remover...
1061 Controlador da impressora
1062 Perfis comuns
1063 Monitor de estado
1064 Tipos de letra
1065 Controlador USB
1066 Perfis de cor
1067 Manual do utilizador
2011 Selecionar componentes
2012 Escolha os componentes opcionais que pretende instalar.
2013 Componentes
3011 Selecionar perfis comuns
3012 Definições de impressão predefinidas para utilizações comuns.
3013 Perfis
3014 Descrição
4011 Pronto para instalar
4012 Clique em Seguinte para iniciar a instalação.
4013 Componentes a instalar:
4014 Impressora selecionada: %s
5011 Remover componentes
5012 Os seguintes componentes serão removidos deste computador:
5013 Tem a certeza de que pretende remover %s?
5014 Os componentes foram removidos.
5015 Não foi possível remover alguns itens.
5111 Instalação concluída
5112 Os componentes selecionados foram instalados.
5113 Instalação cancelada
5114 Não foi instalado nenhum componente.
5121 Pretende reiniciar o computador agora?
0711 Francês
0712 Alemão
0713 Italiano
0715 Coreano
0716 Português
0719 Inglês
0729 Norueguês
0730 Português (Portugal)
0731 Sueco
0732 Turco
"""),
    ("swedish", "001d", "Swedish", """
1001 Installationsprogram för valfria komponenter
1002 &Installera
1003 &Slutför
1004 &Ja
1005 &Nej
1006 &Försök igen
1007 < &Bakåt
1008 &Nästa >
1009 &Avbryt
1010 &Stäng
1011 Installationsfilen %s saknas eller är skadad.
1012 Det går inte att öppna skrivaren %s.
1013 Det gick inte att importera profilen %s.
1014 Installerade profiler: %d
1015 Vill du verkligen avbryta?
1016 Det finns inga vanliga profiler för den här skrivaren.
1017 Starta om datorn för att slutföra borttagningen av filerna som används.
1021 Kopierar filer...
1022 Importerar profilen %s...
1023 Tillämpar skrivarinställningarna...
1024 Tar bort filer...
1025 Tar bort mappar...
1026 Tar bort registerposter...
1027 Tar bort teckensnitt...
1028 Tar bort poster för USB-enheter...
1029 Klart.
1031 Den här funktionen kräver version %d.%d eller senare av skrivardrivrutinen.
1032 Profilfilen %s är ogiltig.
1033 Det finns inte tillräckligt med minne för att slutföra åtgärden.
1034 Det gick inte att ta bort filen %s.
1035 Du har inte behörighet att ändra inställningarna för den här skrivaren.
1051 Bearbetar...
1052 Tar bort...
1061 Skrivardrivrutin
1062 Vanliga profiler
1063 Statusövervakare
1064 Teckensnitt
1065 USB-drivrutin
1066 Färgprofiler
1067 Användarhandbok
2011 Välj komponenter
2012 Välj de valfria komponenter som ska installeras.
2013 Komponenter
3011 Välj vanliga profiler
3012 Fördefinierade utskriftsinställningar för vanliga ändamål.
3013 Profiler
3014 Beskrivning
4011 Klart att installera
4012 Klicka på Nästa för att starta installationen.
4013 Komponenter som ska installeras:
4014 Vald skrivare: %s
5011 Ta bort komponenter
5012 Följande komponenter tas bort från den här datorn:
5013 Vill du verkligen ta bort %s?
5014 Komponenterna har tagits bort.
5015 Vissa objekt kunde inte tas bort.
5111 Installationen är klar
5112 De valda komponenterna har installerats.
5113 Installationen avbröts
5114 Inga komponenter installerades.
5121 Vill du starta om datorn nu?
0711 Franska
0712 Tyska
0713 Italienska
0715 Koreanska
0716 Portugisiska
0719 Engelska
0729 Norska
0730 Portugisiska (Portugal)
0731 Svenska
0732 Turkiska
"""),
    ("turkish", "001f", "Turkish", """
1001 İsteğe Bağlı Bileşen Yükleyicisi
1002 &Yükle
1003 &Son
1004 &Evet
1005 &Hayır
1006 &Yeniden Dene
1007 < &Geri
1008 İ&leri >
1009 İ&ptal
1010 &Kapat
1011 %s yükleme dosyası eksik veya hasarlı.
1012 %s yazıcısı açılamıyor.
1013 %s profili içeri aktarılamadı.
1014 Yüklenen profiller: %d
1015 İptal etmek istediğinizden emin misiniz?
1016 Bu yazıcı için kullanılabilir ortak profil yok.
1017 Kullanımdaki dosyaların kaldırılmasını tamamlamak için bilgisayarınızı yeniden başlatın.
1021 Dosyalar kopyalanıyor...
1022 %s profili içeri aktarılıyor...
1023 Yazıcı ayarları uygulanıyor...
1024 Dosyalar kaldırılıyor...
1025 Klasörler kaldırılıyor...
1026 Kayıt defteri girdileri kaldırılıyor...
1027 Yazı tipleri kaldırılıyor...
1028 USB aygıt girdileri kaldırılıyor...
1029 Bitti.
1031 Bu özellik için yazıcı sürücüsünün %d.%d veya sonraki bir sürümü gerekir.
1032 %s profil dosyası geçerli değil.
1033 İşlemi tamamlamak için yeterli bellek yok.
1034 %s dosyası silinemedi.
1035 Bu yazıcının ayarlarını değiştirme izniniz yok.
1051 İşleniyor...
1052 Kaldırılıyor...
1061 Yazıcı Sürücüsü
1062 Ortak Profiller
1063 Durum İzleyicisi
1064 Yazı Tipleri
1065 USB Sürücüsü
1066 Renk Profilleri
1067 Kullanım Kılavuzu
2011 Bileşenleri Seçin
2012 Yüklenecek isteğe bağlı bileşenleri seçin.
2013 Bileşenler
3011 Ortak Profilleri Seçin
3012 Genel kullanım için önceden tanımlanmış yazdırma ayarları.
3013 Profiller
3014 Açıklama
4011 Yüklemeye Hazır
4012 Yüklemeyi başlatmak için İleri'ye tıklayın.
4013 Yüklenecek bileşenler:
4014 Seçili yazıcı: %s
5011 Bileşenleri Kaldır
5012 Aşağıdaki bileşenler bu bilgisayardan kaldırılacak:
5013 %s öğesini kaldırmak istediğinizden emin misiniz?
5014 Bileşenler kaldırıldı.
5015 Bazı öğeler kaldırılamadı.
5111 Yükleme Tamamlandı
5112 Seçilen bileşenler yüklendi.
5113 Yükleme İptal Edildi
5114 Hiçbir bileşen yüklenmedi.
5121 Bilgisayarınızı şimdi yeniden başlatmak istiyor musunuz?
0711 Fransızca
0712 Almanca
0713 İtalyanca
0715 Korece
0716 Portekizce
0719 İngilizce
0729 Norveççe
0730 Portekizce (Portekiz)
0731 İsveççe
0732 Türkçe
"""),
]


def parse_texts(block):
    texts = {}
    for line in block.strip().splitlines():
        ident, text = line.split(" ", 1)
        assert int(ident) not in texts, line
        texts[int(ident)] = text
    return texts


def placeholders_and_keys(text):
    # The printf placeholders in order, and the number of access keys ("&&" is a plain "&").
    return re.findall(r"%[sd]", text), text.replace("&&", "").count("&")


def table_text(name, tag, comment, texts, english):
    assert sorted(texts) == sorted(IDS), (name, sorted(set(IDS) ^ set(texts)))
    lines = ["\ufeff", f"[{tag}] //{comment}"]
    extra = SUPERSEDED.get(name, {})
    for group in GROUPS:
        lines.append("")
        for ident in group:
            for text in [texts[ident]] + ([extra[ident]] if ident in extra else []):
                # A double quote would end the text early; the reader has no escape for it.
                assert '"' not in text and text == text.strip(), (name, ident, text)
                assert placeholders_and_keys(text) == placeholders_and_keys(english[ident]), (name, ident)
                if ident < 1000:
                    lines.append(f"{ident:04d} \"{text}\"")
                else:
                    lines.append(f"{ident}\t\"{text}\"")
    return "".join(line + "\r\n" for line in lines)


def header_numbers(header, prefix):
    """The numbers of src/resources/resource_ids.h whose names begin with prefix, by the rest
    of the name."""
    numbers = {}
    for line in header.read_text(encoding="ascii").splitlines():
        match = re.fullmatch(r"#define " + prefix + r"(\w+) (\d+)", line.strip())
        if match:
            numbers[match.group(1)] = int(match.group(2))
    return numbers


def main():
    root = pathlib.Path(__file__).resolve().parent.parent
    resources = root / "src" / "resources"
    out = resources / "lang"
    out.mkdir(parents=True, exist_ok=True)
    header = resources / "resource_ids.h"
    numbers = {name.lower(): n for name, n in header_numbers(header, "IDR_LANG_").items()}
    # The texts the code shows are among those every table holds.
    shown = header_numbers(header, "IDS_")
    assert shown and all(n in IDS for n in shown.values()), sorted(set(shown.values()) - set(IDS))
    names = [t[0] for t in TABLES]
    # Every table has its number and every number its table, each number once.
    assert sorted(numbers) == sorted(names), sorted(set(numbers) ^ set(names))
    assert len(set(numbers.values())) == len(numbers) == 23, numbers
    english = parse_texts(next(t[3] for t in TABLES if t[0] == "english"))
    for name, tag, comment, block in TABLES:
        text = table_text(name, tag, comment, parse_texts(block), english)
        (out / f"{name}.txt").write_bytes(text.encode("utf-16-le"))
    # The resource script must carry every table under its number's name.
    script = (resources / "LmProfInst.rc").read_text(encoding="utf-8")
    missing = [f'IDR_LANG_{name.upper()} RT_LANG_TABLE "lang/{name}.txt"' for name in names
               if f'IDR_LANG_{name.upper()} RT_LANG_TABLE "lang/{name}.txt"' not in script]
    for line in missing:
        print(f"LmProfInst.rc lacks: {line}")
    return 1 if missing else 0


if __name__ == "__main__":
    raise SystemExit(main())
