<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="fr_FR">
<context>
    <name>AutomaticExec</name>
    <message>
        <source>Opérateur automatique</source>
        <translation>Batch operator</translation>
    </message>
    <message>
        <source>Ajoutez d&apos;abord les fichiers à traiter (« Ajouter »), puis choisissez le maillage simplex de référence et le dossier de sortie des résultats.</source>
        <translation>First add the files to process (“Add”), then choose the reference simplex mesh and the output folder.</translation>
    </message>
    <message>
        <source>Aucun traitement n&apos;a été lancé.</source>
        <translation>No process was started.</translation>
    </message>
    <message>
        <source>Traitements en cours : %1 sur %2</source>
        <translation>Processes running: %1 of %2</translation>
    </message>
    <message>
        <source>Traitements terminés (%1) : les résultats sont dans %2</source>
        <translation>Processes finished (%1): the results are in %2</translation>
    </message>
    <message>
        <source>General</source>
        <translation>General</translation>
    </message>
    <message>
        <source>Ajouter</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>Supprimer</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>Selectionner un maillage simplex de référence</source>
        <translation>Select a reference simplex mesh</translation>
    </message>
    <message>
        <source>Selectionner le dossier de sortie des resultats</source>
        <translation>Select the output folder for the results</translation>
    </message>
    <message>
        <source>Cette fonctionnalité vous permet de lancer en console des operations automatiques sur des fichiers
que vous selectionnez.</source>
        <translation>This feature lets you run automatic console operations on files
that you select.</translation>
    </message>
    <message>
        <source>Lancer</source>
        <translation>Launch</translation>
    </message>
    <message>
        <source>Annuler</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Parametres</source>
        <translation>Parameters</translation>
    </message>
    <message>
        <source>Parametres generaux</source>
        <translation>General parameters</translation>
    </message>
    <message>
        <source>Nombre de points simplex minimum souhaité</source>
        <translation>Minimum number of simplex points wanted</translation>
    </message>
    <message>
        <source>Parametrage de la déformation</source>
        <translation>Deformation settings</translation>
    </message>
    <message>
        <source>Iteration(s) de deformation</source>
        <translation>Deformation iteration(s)</translation>
    </message>
    <message>
        <source>Force Interne</source>
        <translation>Internal force</translation>
    </message>
    <message>
        <source>Force Externe</source>
        <translation>External force</translation>
    </message>
    <message>
        <source>Force de retenue par rapport à la déformation précédente</source>
        <translation>Retention force with respect to the previous deformation</translation>
    </message>
    <message>
        <source>Force de retenue</source>
        <translation>Retention force</translation>
    </message>
    <message>
        <source>Rigidité du maillage</source>
        <translation>Mesh rigidity</translation>
    </message>
    <message>
        <source>Activer la sauvegarde automatique</source>
        <translation>Enable automatic saving</translation>
    </message>
    <message>
        <source>selectionner un ou plusieurs fichiers</source>
        <translation>select one or more files</translation>
    </message>
    <message>
        <source>selectionner un fichier</source>
        <translation>select a file</translation>
    </message>
    <message>
        <source>selectionner un dossier</source>
        <translation>select a folder</translation>
    </message>
    <message>
        <source>l&apos;outil %1 est introuvable dans le dossier de travail %2</source>
        <translation>the tool %1 cannot be found in the working folder %2</translation>
    </message>
    <message>
        <source>l&apos;outil %1 n&apos;est pas un programme exécutable</source>
        <translation>the tool %1 is not an executable program</translation>
    </message>
    <message>
        <source>Attention</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Vous devez sélectionner un maillage simplex de reference !</source>
        <translation>You must select a reference simplex mesh!</translation>
    </message>
    <message>
        <source>Vous devez sélectionner un dossier de sortie des resultats !</source>
        <translation>You must select an output folder for the results!</translation>
    </message>
    <message>
        <source>Traitements lancés (%1) :</source>
        <translation>Jobs started (%1):</translation>
    </message>
    <message>
        <source>Traitements non lancés (%1) :</source>
        <translation>Jobs not started (%1):</translation>
    </message>
    <message>
        <source>Lancement des traitements</source>
        <translation>Starting the jobs</translation>
    </message>
</context>
<context>
    <name>FenAbout</name>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;&lt;b&gt;Tarnis&lt;/b&gt;&lt;/p&gt;&lt;p&gt;Tarnis est un logiciel multiplateforme accessible aux non-spécialistes permettant de visualiser et d&apos;exploiter des volumes 3D.&lt;/p&gt;&lt;p&gt;Il construit des surfaces fermées sur des nuages de points à l&apos;aide de maillages simplexes déformables : déformation par forces interne, externe et de retenue, raffinages T26 et T22, triangulation et conversions, lecture des fichiers PTS, OFF, OBJ, SMM et des volumes Analyze.&lt;/p&gt;&lt;p&gt;Réalisé avec Qt et OpenGL. Les icônes, l&apos;écran de démarrage et l&apos;animation sont dessinés par le programme du projet.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;&lt;b&gt;Tarnis&lt;/b&gt;&lt;/p&gt;&lt;p&gt;Tarnis is cross-platform software, accessible to non-specialists, for viewing and working with 3D volumes.&lt;/p&gt;&lt;p&gt;It builds closed surfaces over point clouds with deformable simplex meshes: deformation by internal, external and retention forces, T26 and T22 refinements, triangulation and conversions, reading PTS, OFF, OBJ and SMM files and Analyze volumes.&lt;/p&gt;&lt;p&gt;Made with Qt and OpenGL. The icons, the splash screen and the animation are drawn by the project&apos;s own program.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
</context>
<context>
    <name>GLWidget</name>
    <message>
        <source>Le document est occupé : attendez la fin de l&apos;opération en cours.</source>
        <translation>The document is busy: wait for the operation under way to end.</translation>
    </message>
    <message>
        <source>Le maillage a des voisins hors de sa liste : il ne peut pas être ajusté.</source>
        <translation>The mesh has neighbours outside its list: it cannot be fitted.</translation>
    </message>
    <message>
        <source>Le maillage n&apos;a pas pu être copié pour l&apos;ajustement.</source>
        <translation>The mesh could not be copied for the fit.</translation>
    </message>
    <message>
        <source>La remise à zéro a échoué : %1</source>
        <translation>The reset failed: %1</translation>
    </message>
    <message>
        <source>La déformation a échoué : %1</source>
        <translation>The deformation failed: %1</translation>
    </message>
    <message>
        <source>Le raffinage %1 a échoué : %2</source>
        <translation>The %1 refinement failed: %2</translation>
    </message>
    <message>
        <source>La dilatation a échoué : %1</source>
        <translation>The scaling failed: %1</translation>
    </message>
    <message>
        <source>Le centrage a échoué : %1</source>
        <translation>The centring failed: %1</translation>
    </message>
    <message>
        <source>Il n&apos;y a pas de nuage de points sur lequel ajuster le maillage.</source>
        <translation>There is no point cloud to fit the mesh to.</translation>
    </message>
    <message>
        <source>Il n&apos;y a pas de nuage de points autour duquel placer le maillage.</source>
        <translation>There is no point cloud to place the mesh around.</translation>
    </message>
    <message>
        <source>La triangulation a échoué : %1</source>
        <translation>The triangulation failed: %1</translation>
    </message>
    <message>
        <source>Seul un maillage triangulé lu dans un fichier OFF peut être converti en maillage simplex.</source>
        <translation>Only a triangle mesh read from an OFF file can be converted into a simplex mesh.</translation>
    </message>
    <message>
        <source>La création du maillage simplex a échoué : %1</source>
        <translation>Making the simplex mesh failed: %1</translation>
    </message>
    <message>
        <source>L&apos;index du nuage de points n&apos;a pas pu être construit : %1</source>
        <translation>The index of the point cloud could not be built: %1</translation>
    </message>
    <message>
        <source>Mémoire insuffisante pour l&apos;index du nuage de points.</source>
        <translation>Not enough memory for the index of the point cloud.</translation>
    </message>
    <message>
        <source>L&apos;exportation vers %1 a échoué : %2</source>
        <translation>The export to %1 failed: %2</translation>
    </message>
    <message>
        <source>Le fichier %1 n&apos;a pas pu être écrit.</source>
        <translation>The file %1 could not be written.</translation>
    </message>
    <message>
        <source>Il n&apos;y a pas de nuage de points à exporter.</source>
        <translation>There is no point cloud to export.</translation>
    </message>
    <message>
        <source>Le dessin a échoué : %1</source>
        <translation>Drawing failed: %1</translation>
    </message>
    <message>
        <source>Le déplacement a échoué : %1</source>
        <translation>The move failed: %1</translation>
    </message>
    <message>
        <source>%1 ; les %2 points lus sont ouverts</source>
        <translation>%1; the %2 points read are open</translation>
    </message>
    <message>
        <source>frontière au niveau %1 (automatique)</source>
        <translation>boundary at level %1 (automatic)</translation>
    </message>
    <message>
        <source>frontière au niveau %1</source>
        <translation>boundary at level %1</translation>
    </message>
    <message>
        <source>%1 annonce %2 points, qui sont ouverts ; le fichier en contient %3 de plus, non lus</source>
        <translation>%1 announces %2 points, which are open; the file holds %3 more, not read</translation>
    </message>
    <message>
        <source>%1 % de la diagonale (%2)</source>
        <translation>%1 % of the diagonal (%2)</translation>
    </message>
    <message>
        <source>Écart au maillage</source>
        <translation>Distance to the mesh</translation>
    </message>
    <message numerus="yes">
        <source>gris : %n point(s) écarté(s)</source>
        <translation>
            <numerusform>grey: %n point set aside</numerusform>
            <numerusform>grey: %n points set aside</numerusform>
        </translation>
    </message>
    <message>
        <source>Importation du nuage de points</source>
        <translation>Import of the point cloud</translation>
    </message>
    <message>
        <source>Importation du maillage</source>
        <translation>Import of the mesh</translation>
    </message>
    <message>
        <source>Remise à zéro du maillage</source>
        <translation>Reset of the mesh</translation>
    </message>
    <message>
        <source>Déformation</source>
        <translation>Deformation</translation>
    </message>
    <message>
        <source>Raffinage %1</source>
        <translation>Refinement %1</translation>
    </message>
    <message>
        <source>Dilatation</source>
        <translation>Scaling</translation>
    </message>
    <message>
        <source>Centrage</source>
        <translation>Centring</translation>
    </message>
    <message>
        <source>Ajustement précis</source>
        <translation>Precise fit</translation>
    </message>
    <message>
        <source>Placement autour du nuage</source>
        <translation>Placement around the cloud</translation>
    </message>
    <message>
        <source>Conversion en maillage simplex</source>
        <translation>Conversion to a simplex mesh</translation>
    </message>
    <message>
        <source>Conversion en nuage de points</source>
        <translation>Conversion to a point cloud</translation>
    </message>
    <message>
        <source>Déformation en boucle</source>
        <translation>Deformation loop</translation>
    </message>
    <message>
        <source>Déplacement</source>
        <translation>Move</translation>
    </message>
    <message>
        <source>Le nom %1 ne se termine ni par .sm, ni par .smm, ni par .off, ni par .obj, ni par .ply, ni par .stl : rien n&apos;a été écrit.</source>
        <translation>The name %1 ends neither in .sm, .smm, .off, .obj, .ply nor .stl: nothing was written.</translation>
    </message>
</context>
<context>
    <name>LoadingDialog</name>
    <message>
        <source>Automatisation</source>
        <translation>Automation</translation>
    </message>
    <message>
        <source>Export/import</source>
        <translation>Export/import</translation>
    </message>
    <message>
        <source>Entrée : </source>
        <translation>Input: </translation>
    </message>
    <message>
        <source>Sortie  : </source>
        <translation>Output: </translation>
    </message>
    <message>
        <source>&lt;span style=&quot; color:#55ff00; font-size:15px;&quot;&gt;&lt;/span&gt;</source>
        <translation>&lt;span style=&quot; color:#55ff00; font-size:15px;&quot;&gt;&lt;/span&gt;</translation>
    </message>
    <message>
        <source>Arrêter</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Fermer</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>attention : %1 % du nuage écarté ; s&apos;il fait partie de l&apos;objet, choisir « gardés » pour les points isolés dans les préférences et ajuster à nouveau</source>
        <translation>warning: %1 % of the cloud set aside; if it is part of the object, choose “kept” for the stray points in the preferences and fit again</translation>
    </message>
    <message>
        <source>Tarnis</source>
        <translation>Tarnis</translation>
    </message>
    <message>
        <source>Fichier</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Importer</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>Edition</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>Maillage</source>
        <translation>Mesh</translation>
    </message>
    <message>
        <source>Mode d&apos;affichage</source>
        <translation>Display mode</translation>
    </message>
    <message>
        <source>Conversion</source>
        <translation>Conversion</translation>
    </message>
    <message>
        <source>Affichage</source>
        <translation>View</translation>
    </message>
    <message>
        <source>Fenetre</source>
        <translation>Window</translation>
    </message>
    <message>
        <source>Aide</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>Outils</source>
        <translation>Tools</translation>
    </message>
    <message>
        <source>Objets ouverts :</source>
        <translation>Open objects:</translation>
    </message>
    <message>
        <source>Vous pouvez deplacer l&apos;objet selectionné 
grace aux touches W X C V B N.</source>
        <translation>You can move the selected object
with the keys W X C V B N.</translation>
    </message>
    <message>
        <source>Informations</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Nombre de points simplex : </source>
        <translation>Number of simplex points: </translation>
    </message>
    <message>
        <source>Affichage en coupe</source>
        <translation>Slice view</translation>
    </message>
    <message>
        <source>Coupe X</source>
        <translation>Slice X</translation>
    </message>
    <message>
        <source>Coupe Y</source>
        <translation>Slice Y</translation>
    </message>
    <message>
        <source>Coupe Z</source>
        <translation>Slice Z</translation>
    </message>
    <message>
        <source>Taille de la tranche :</source>
        <translation>Slice thickness:</translation>
    </message>
    <message>
        <source>Coordonnée :</source>
        <translation>Coordinate:</translation>
    </message>
    <message>
        <source>Nouvelle fenetre</source>
        <translation>New window</translation>
    </message>
    <message>
        <source>Ctrl+N</source>
        <translation>Ctrl+N</translation>
    </message>
    <message>
        <source>&amp;Ouvrir</source>
        <translation>&amp;Open</translation>
    </message>
    <message>
        <source>Ouvrir un volume 3D</source>
        <translation>Open a 3D volume</translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation>Ctrl+O</translation>
    </message>
    <message>
        <source>Exporter le maillage</source>
        <translation>Export the mesh</translation>
    </message>
    <message>
        <source>Ctrl+E</source>
        <translation>Ctrl+E</translation>
    </message>
    <message>
        <source>Exporter le nuage de points</source>
        <translation>Export the point cloud</translation>
    </message>
    <message>
        <source>Nouveau Maillage</source>
        <translation>New Mesh</translation>
    </message>
    <message>
        <source>Nouveau Nuage de Points</source>
        <translation>New Point Cloud</translation>
    </message>
    <message>
        <source>Fermer la fenetre courante</source>
        <translation>Close the current window</translation>
    </message>
    <message>
        <source>Fermer le volume 3D</source>
        <translation>Close the 3D volume</translation>
    </message>
    <message>
        <source>Fermer Tarnis</source>
        <translation>Quit Tarnis</translation>
    </message>
    <message>
        <source>Fermer le programme</source>
        <translation>Quit the program</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>Preferences</translation>
    </message>
    <message>
        <source>Preference</source>
        <translation>Preferences</translation>
    </message>
    <message>
        <source>Operateur Automatique</source>
        <translation>Automatic Operator</translation>
    </message>
    <message>
        <source>Deformer le maillage en boucle</source>
        <translation>Deform the mesh continuously</translation>
    </message>
    <message>
        <source>M</source>
        <translation>M</translation>
    </message>
    <message>
        <source>Deformation automatisée</source>
        <translation>Automatic deformation</translation>
    </message>
    <message>
        <source>Agrandir le maillage</source>
        <translation>Enlarge the mesh</translation>
    </message>
    <message>
        <source>+</source>
        <translation>+</translation>
    </message>
    <message>
        <source>Retrecir le maillage</source>
        <translation>Shrink the mesh</translation>
    </message>
    <message>
        <source>-</source>
        <translation>-</translation>
    </message>
    <message>
        <source>Raffinage T26  (Global)</source>
        <translation>T26 refinement  (Global)</translation>
    </message>
    <message>
        <source>K</source>
        <translation>K</translation>
    </message>
    <message>
        <source>Raffinage T26  (Angles)</source>
        <translation>T26 refinement  (Angles)</translation>
    </message>
    <message>
        <source>:</source>
        <translation>:</translation>
    </message>
    <message>
        <source>Raffinage T22  (Surfaces)</source>
        <translation>T22 refinement  (Surfaces)</translation>
    </message>
    <message>
        <source>,</source>
        <translation>,</translation>
    </message>
    <message>
        <source>Raffinage T22  (Points par maille)</source>
        <translation>T22 refinement  (Points per cell)</translation>
    </message>
    <message>
        <source>;</source>
        <translation>;</translation>
    </message>
    <message>
        <source>Triangularisation</source>
        <translation>Triangulation</translation>
    </message>
    <message>
        <source>Remise à zero</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>R</source>
        <translation>R</translation>
    </message>
    <message>
        <source>Point</source>
        <translation>Point</translation>
    </message>
    <message>
        <source>Filaire</source>
        <translation>Wire frame</translation>
    </message>
    <message>
        <source>Triangle</source>
        <translation>Triangle</translation>
    </message>
    <message>
        <source>Creer un maillage simplex</source>
        <translation>Create a simplex mesh</translation>
    </message>
    <message>
        <source>Créer un nuage de points</source>
        <translation>Create a point cloud</translation>
    </message>
    <message>
        <source>Par onglets</source>
        <translation>Tabbed</translation>
    </message>
    <message>
        <source>Zoom +</source>
        <translation>Zoom in</translation>
    </message>
    <message>
        <source>Ctrl++</source>
        <translation>Ctrl++</translation>
    </message>
    <message>
        <source>Zoom -</source>
        <translation>Zoom out</translation>
    </message>
    <message>
        <source>Ctrl+-</source>
        <translation>Ctrl+-</translation>
    </message>
    <message>
        <source>Centrer au milieu du nuage de points</source>
        <translation>Centre on the point cloud</translation>
    </message>
    <message>
        <source>Conserver les proportions</source>
        <translation>Keep proportions</translation>
    </message>
    <message>
        <source>Afficher les points d&apos;interet</source>
        <translation>Show the points of interest</translation>
    </message>
    <message>
        <source>U</source>
        <translation>U</translation>
    </message>
    <message>
        <source>A propos de QT</source>
        <translation>About Qt</translation>
    </message>
    <message>
        <source>En savoir plus sur QT</source>
        <translation>Learn more about Qt</translation>
    </message>
    <message>
        <source>A propos de Tarnis</source>
        <translation>About Tarnis</translation>
    </message>
    <message>
        <source>Ouvrir</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>erreur inconnue</source>
        <translation>unknown error</translation>
    </message>
    <message>
        <source>Erreur</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Chargement</source>
        <translation>Loading</translation>
    </message>
    <message>
        <source>Deformation</source>
        <translation>Deformation</translation>
    </message>
    <message>
        <source>La deformation en boucle a ete arretee : %1</source>
        <translation>The continuous deformation was stopped: %1</translation>
    </message>
    <message>
        <source>Nouveau</source>
        <translation>New</translation>
    </message>
    <message>
        <source>(nuage changé depuis)</source>
        <translation>(cloud changed since)</translation>
    </message>
    <message>
        <source>Nombre de triangles : </source>
        <translation>Number of triangles: </translation>
    </message>
    <message>
        <source>Lecture de %1</source>
        <translation>Reading %1</translation>
    </message>
    <message>
        <source>Arrêter</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Demande de confirmation</source>
        <translation>Confirmation request</translation>
    </message>
    <message>
        <source>Attention ! Le maillage simplex comporte plus de points qu&apos;il n&apos;y a de points d&apos;interet.
 Effectuer l&apos;operation demandé pourais faire planter l&apos;application, il est recommandé d&apos;exporter votre travail.
 Etes vous sur de vouloir continuer ?</source>
        <translation>Warning! The simplex mesh has more points than there are points of interest.
 Running the requested operation could crash the application; exporting your work is recommended.
 Are you sure you want to continue?</translation>
    </message>
    <message>
        <source>Ouvrir un fichier</source>
        <translation>Open a file</translation>
    </message>
    <message>
        <source>Enregistrer un fichier</source>
        <translation>Save a file</translation>
    </message>
    <message>
        <source>Nouveau (%1)</source>
        <translation>New (%1)</translation>
    </message>
    <message>
        <source>Exportation</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>L&apos;exportation s&apos;est terminée avec succès</source>
        <translation>The export completed successfully</translation>
    </message>
    <message>
        <source>Triangularisation des mailles</source>
        <translation>Cell triangulation</translation>
    </message>
    <message>
        <source>Le maillage vient d&apos;etre triangulé</source>
        <translation>The mesh has been triangulated</translation>
    </message>
    <message>
        <source>La création d&apos;un maillage simplex remplacera le maillage triangulé.
 Etes vous sur de vouloir continuer ?</source>
        <translation>Creating a simplex mesh will replace the triangle mesh.
 Are you sure you want to continue?</translation>
    </message>
    <message>
        <source>Attention</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>la création d&apos;un maillage simplex a été interompue !</source>
        <translation>the creation of a simplex mesh was interrupted!</translation>
    </message>
    <message>
        <source>Un nuage de point est deja a l&apos;ecran, la création d&apos;un nouveau nuage de point le remplacera.
 Etes vous sur de vouloir continuer ?</source>
        <translation>A point cloud is already shown; creating a new point cloud will replace it.
 Are you sure you want to continue?</translation>
    </message>
    <message>
        <source>la création d&apos;un nouveau nuage de point a été interompue !</source>
        <translation>the creation of a new point cloud was interrupted!</translation>
    </message>
    <message>
        <source>Automatisation</source>
        <translation>Automation</translation>
    </message>
    <message>
        <source>Operations interrompues</source>
        <translation>Operations interrupted</translation>
    </message>
    <message>
        <source>Aucun document actif</source>
        <translation>No active document</translation>
    </message>
    <message>
        <source>Cycle %1 / %2 · %3 · %4 points simplex</source>
        <translation>Cycle %1 / %2 · %3 · %4 simplex points</translation>
    </message>
    <message>
        <source>Déformation finale %1 / %2 · %3 points simplex</source>
        <translation>Final deformation %1 / %2 · %3 simplex points</translation>
    </message>
    <message>
        <source>Operations terminées</source>
        <translation>Operations finished</translation>
    </message>
    <message>
        <source>Nombre de points d&apos;interet : </source>
        <translation>Number of points of interest: </translation>
    </message>
    <message>
        <source>L&apos;opération « %1 »</source>
        <translation>The operation “%1”</translation>
    </message>
    <message>
        <source>Les documents ouverts restent utilisables.</source>
        <translation>The open documents remain usable.</translation>
    </message>
    <message>
        <source>%1 a échoué : %2</source>
        <translation>%1 failed: %2</translation>
    </message>
    <message>
        <source>Le chargement de %1</source>
        <translation>Loading %1</translation>
    </message>
    <message>
        <source>L&apos;exportation vers %1</source>
        <translation>The export to %1</translation>
    </message>
    <message>
        <source>Le raffinage</source>
        <translation>The refinement</translation>
    </message>
    <message>
        <source>La triangulation</source>
        <translation>The triangulation</translation>
    </message>
    <message>
        <source>La conversion</source>
        <translation>The conversion</translation>
    </message>
    <message>
        <source>Operations interrompues : %1</source>
        <translation>Operations interrupted: %1</translation>
    </message>
    <message>
        <source>Ajustement : </source>
        <translation>Fit: </translation>
    </message>
    <message>
        <source>Cadrer la scène</source>
        <translation>Frame the scene</translation>
    </message>
    <message>
        <source>Montrer le nuage et le maillage en entier, au centre de la vue</source>
        <translation>Show the whole cloud and mesh in the middle of the view</translation>
    </message>
    <message>
        <source>F</source>
        <translation>F</translation>
    </message>
    <message>
        <source>Placer le maillage autour du nuage</source>
        <translation>Place the mesh around the cloud</translation>
    </message>
    <message>
        <source>Centrer le maillage sur le nuage et l&apos;agrandir pour qu&apos;il l&apos;entoure</source>
        <translation>Centre the mesh on the cloud and scale it to enclose it</translation>
    </message>
    <message>
        <source>Ajustement précis</source>
        <translation>Precise fit</translation>
    </message>
    <message>
        <source>Ajuster le maillage au nuage en le raffinant là où il en est loin</source>
        <translation>Fit the mesh to the cloud, refining it where it stays far</translation>
    </message>
    <message>
        <source>aucun ajustement terminé</source>
        <translation>no completed fit</translation>
    </message>
    <message>
        <source>nuage → surface : moyenne %1 %, p95 %2 %, max %3 %</source>
        <translation>cloud → surface: mean %1 %, p95 %2 %, max %3 %</translation>
    </message>
    <message>
        <source>surface → nuage : moyenne %1 %, p95 %2 %, max %3 %</source>
        <translation>surface → cloud: mean %1 %, p95 %2 %, max %3 %</translation>
    </message>
    <message>
        <source>surface : %1 partie(s), genre %2</source>
        <translation>surface: %1 part(s), genus %2</translation>
    </message>
    <message>
        <source>(maillage modifié depuis)</source>
        <translation>(mesh changed since)</translation>
    </message>
    <message>
        <source>Le placement</source>
        <translation>The placement</translation>
    </message>
    <message>
        <source>%1 points simplex</source>
        <translation>%1 simplex points</translation>
    </message>
    <message>
        <source>Ajustement terminé : moyenne %1 %, p95 %2 %, max %3 % de la diagonale</source>
        <translation>Fit done: mean %1 %, p95 %2 %, max %3 % of the diagonal</translation>
    </message>
    <message>
        <source>Ajustement interrompu</source>
        <translation>Fit stopped</translation>
    </message>
    <message>
        <source>Ajustement interrompu : %1</source>
        <translation>Fit stopped: %1</translation>
    </message>
    <message>
        <source>Repère du volume : </source>
        <translation>Volume frame: </translation>
    </message>
    <message>
        <source>%1 ; %2</source>
        <translation>%1; %2</translation>
    </message>
    <message>
        <source>Fermer</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Le document « %1 » a été modifié.</source>
        <translation>The document “%1” has been modified.</translation>
    </message>
    <message>
        <source>Voulez-vous enregistrer le maillage avant de fermer ?</source>
        <translation>Do you want to save the mesh before closing?</translation>
    </message>
    <message>
        <source>Enregistrer</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Couleurs des écarts au maillage</source>
        <translation>Colours of the distances to the mesh</translation>
    </message>
    <message>
        <source>Colorer chaque point du nuage selon sa distance à la surface ajustée (les points écartés en gris)</source>
        <translation>Colour each cloud point by its distance to the fitted surface (the points set aside in grey)</translation>
    </message>
    <message>
        <source>D</source>
        <translation>D</translation>
    </message>
    <message numerus="yes">
        <source>%n paire(s) de triangles qui se croisent : la surface passe au travers d&apos;elle-même</source>
        <translation>
            <numerusform>%n pair of triangles cross: the surface passes through itself</numerusform>
            <numerusform>%n pairs of triangles cross: the surface passes through itself</numerusform>
        </translation>
    </message>
    <message>
        <source>solide : volume %1, aire %2 (unités du nuage)</source>
        <translation>solid: volume %1, area %2 (the cloud&apos;s units)</translation>
    </message>
    <message numerus="yes">
        <source>%n point(s) isolé(s) du nuage écarté(s)</source>
        <translation>
            <numerusform>%n isolated cloud point set aside</numerusform>
            <numerusform>%n isolated cloud points set aside</numerusform>
        </translation>
    </message>
    <message>
        <source>sur tous les points : moyenne %1 %, p95 %2 %, max %3 %</source>
        <translation>over every point: mean %1 %, p95 %2 %, max %3 %</translation>
    </message>
    <message>
        <source>nuage bruité : lissé pour l'ajustement</source>
        <translation>noisy cloud: smoothed for the fit</translation>
    </message>
    <message>
        <source>Annuler</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>Rétablir</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>L&apos;exportation s&apos;est terminée avec succès, mais %1</source>
        <translation>The export completed successfully, but %1</translation>
    </message>
    <message>
        <source>Maillage (%1)</source>
        <translation>Mesh (%1)</translation>
    </message>
    <message>
        <source>Nuage de points (%1)</source>
        <translation>Point cloud (%1)</translation>
    </message>
</context>
<context>
    <name>Moteur</name>
    <message>
        <source>fichier absent</source>
        <translation>file not found</translation>
    </message>
    <message>
        <source>accès refusé</source>
        <translation>permission denied</translation>
    </message>
    <message>
        <source>mémoire insuffisante pour l&apos;arbre des points</source>
        <translation>not enough memory for the tree of the points</translation>
    </message>
    <message>
        <source>%1 points annoncés, %2 lus ; la lecture s&apos;est arrêtée ligne %3 (point %4) : %5</source>
        <translation>%1 points announced, %2 read; reading stopped at line %3 (point %4): %5</translation>
    </message>
    <message>
        <source>le fichier s&apos;arrête là</source>
        <translation>the file ends there</translation>
    </message>
    <message>
        <source>face de %1 sommets (trois au moins) ligne %2</source>
        <translation>face of %1 vertices (three at least) at line %2</translation>
    </message>
    <message>
        <source>nombres de sommets, de faces et d&apos;arêtes absents ; la lecture s&apos;est arrêtée ligne %1</source>
        <translation>numbers of vertices, faces and edges missing; reading stopped at line %1</translation>
    </message>
    <message>
        <source>%1 sommets annoncés, %2 lus ; la lecture s&apos;est arrêtée ligne %3</source>
        <translation>%1 vertices announced, %2 read; reading stopped at line %3</translation>
    </message>
    <message>
        <source>%1 faces annoncées, %2 lues ; la lecture s&apos;est arrêtée ligne %3</source>
        <translation>%1 faces announced, %2 read; reading stopped at line %3</translation>
    </message>
    <message>
        <source>sommet illisible ligne %1</source>
        <translation>unreadable vertex at line %1</translation>
    </message>
    <message>
        <source>sommet de face illisible ligne %1</source>
        <translation>unreadable face corner at line %1</translation>
    </message>
    <message>
        <source>face de moins de trois sommets ligne %1</source>
        <translation>face of fewer than three vertices at line %1</translation>
    </message>
    <message>
        <source>en-tête : %1</source>
        <translation>header: %1</translation>
    </message>
    <message>
        <source>image : %1</source>
        <translation>image: %1</translation>
    </message>
    <message>
        <source>Dimensions de volume invalides : %1 x %2 x %3</source>
        <translation>Invalid volume dimensions: %1 x %2 x %3</translation>
    </message>
    <message>
        <source>Volume trop grand : %1 x %2 x %3</source>
        <translation>Volume too large: %1 x %2 x %3</translation>
    </message>
    <message>
        <source>Mémoire insuffisante pour le volume %1 x %2 x %3</source>
        <translation>Not enough memory for the volume %1 x %2 x %3</translation>
    </message>
    <message>
        <source>En-tête Analyze vide : &lt;%1&gt;</source>
        <translation>Empty Analyze header: &lt;%1&gt;</translation>
    </message>
    <message>
        <source>En-tête Analyze incomplet (%1 octets sur 348) : &lt;%2&gt;</source>
        <translation>Incomplete Analyze header (%1 bytes of 348): &lt;%2&gt;</translation>
    </message>
    <message>
        <source>Type de voxel Analyze non pris en charge (%1) : %2</source>
        <translation>Unsupported Analyze voxel type (%1): %2</translation>
    </message>
    <message>
        <source>Fichier image Analyze trop court : %1.img (%2 octets attendus, %3 présents)</source>
        <translation>Analyze image file too short: %1.img (%2 bytes expected, %3 present)</translation>
    </message>
    <message>
        <source>Erreur de lecture du fichier Analyze : %1.img</source>
        <translation>Error reading the Analyze file: %1.img</translation>
    </message>
    <message>
        <source>%1, ligne %2 : %3</source>
        <translation>%1, line %2: %3</translation>
    </message>
    <message>
        <source>%1 : %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>fichier absent, illisible ou vide</source>
        <translation>file missing, unreadable or empty</translation>
    </message>
    <message>
        <source>fichier vide ou première ligne vide</source>
        <translation>empty file or empty first line</translation>
    </message>
    <message>
        <source>format incorrect (la première ligne doit commencer par OFF, SM ou SMM)</source>
        <translation>wrong format (the first line must start with OFF, SM or SMM)</translation>
    </message>
    <message>
        <source>un fichier SM ne se relit pas (il ne contient pas les mailles)</source>
        <translation>an SM file cannot be read back (it does not hold the cells)</translation>
    </message>
    <message>
        <source>nombres de points et de mailles illisibles</source>
        <translation>unreadable numbers of points and cells</translation>
    </message>
    <message>
        <source>nombre de points ou de mailles négatif ou trop grand</source>
        <translation>number of points or cells negative or too large</translation>
    </message>
    <message>
        <source>point %1 incomplet ou illisible</source>
        <translation>point %1 incomplete or unreadable</translation>
    </message>
    <message>
        <source>point %1 : %2</source>
        <translation>point %1: %2</translation>
    </message>
    <message>
        <source>indice de voisin %1 hors de 0..%2</source>
        <translation>neighbour index %1 outside 0..%2</translation>
    </message>
    <message>
        <source>maille %1 : %2</source>
        <translation>cell %1: %2</translation>
    </message>
    <message>
        <source>maille %1 incomplète ou illisible</source>
        <translation>cell %1 incomplete or unreadable</translation>
    </message>
    <message>
        <source>taille illisible ou négative</source>
        <translation>unreadable or negative size</translation>
    </message>
    <message>
        <source>indice de point %1 hors de 0..%2</source>
        <translation>point index %1 outside 0..%2</translation>
    </message>
    <message>
        <source>%1 points pour %2 triplets de voisins</source>
        <translation>%1 points for %2 triples of neighbours</translation>
    </message>
    <message>
        <source>%1 : création impossible</source>
        <translation>%1: cannot be created</translation>
    </message>
    <message>
        <source>%1 : format %2 inconnu (1 SM, 2 SMM)</source>
        <translation>%1: unknown format %2 (1 SM, 2 SMM)</translation>
    </message>
    <message>
        <source>%1 : écriture impossible</source>
        <translation>%1: cannot be written</translation>
    </message>
    <message>
        <source>indice de maille %1 hors de 0..%2</source>
        <translation>cell index %1 outside 0..%2</translation>
    </message>
    <message>
        <source>%1 points, trop peu pour la couper</source>
        <translation>%1 points, too few to cut it</translation>
    </message>
    <message>
        <source>sa maille suivante a %1 points pour %2</source>
        <translation>its next cell has %1 points for %2</translation>
    </message>
    <message>
        <source>un de ses points n&apos;est pas dans la liste des points</source>
        <translation>one of its points is not in the list of points</translation>
    </message>
    <message>
        <source>les mailles voisines n&apos;ont pas été trouvées</source>
        <translation>the neighbouring cells were not found</translation>
    </message>
    <message>
        <source>la première maille voisine n&apos;a pas été trouvée</source>
        <translation>the first neighbouring cell was not found</translation>
    </message>
    <message>
        <source>la seconde maille voisine n&apos;a pas été trouvée</source>
        <translation>the second neighbouring cell was not found</translation>
    </message>
    <message>
        <source>%1 (maillage suivant)</source>
        <translation>%1 (next mesh)</translation>
    </message>
    <message>
        <source>ordre des points incohérent</source>
        <translation>inconsistent order of the points</translation>
    </message>
    <message>
        <source>RaffinageT26, point %1, %2</source>
        <translation>RaffinageT26, point %1: %2</translation>
    </message>
    <message>
        <source>RaffinageT26Global, point %1, %2</source>
        <translation>RaffinageT26Global, point %1: %2</translation>
    </message>
    <message>
        <source>Erreur dans la modification d&apos;une maille (%1): le point simplex courant et son voisin présent dans la maille ne sont pas consécutifs dans la liste des points simplex constituant la maille</source>
        <translation>Error while editing a cell (%1): the current simplex point and its neighbour in the cell are not consecutive in the list of simplex points making up the cell</translation>
    </message>
    <message>
        <source>Erreur dans la modification d&apos;une maille (%1): le point simplex courant n&apos;a qu&apos;un seul voisin présent dans la maille courante</source>
        <translation>Error while editing a cell (%1): the current simplex point has only one neighbour in the current cell</translation>
    </message>
    <message>
        <source>Erreur dans la modification de la maille (%1): aucun des voisin du point simplex courant n&apos;est présent dans la maille courante</source>
        <translation>Error while editing the cell (%1): none of the neighbours of the current simplex point is in the current cell</translation>
    </message>
    <message>
        <source>Erreur dans la modification d&apos;une maille (%1): les voisins du points simplex courant ne sont pas dans un ordre cohérent dans la maille courante</source>
        <translation>Error while editing a cell (%1): the neighbours of the current simplex point are not in a consistent order in the current cell</translation>
    </message>
    <message>
        <source>le point %1 n&apos;a pas ses trois voisins</source>
        <translation>point %1 does not have its three neighbours</translation>
    </message>
    <message>
        <source>les listes suivantes (%1 points, %2 mailles) ne couvrent pas le maillage (%3 points, %4 mailles)</source>
        <translation>the next lists (%1 points, %2 cells) do not cover the mesh (%3 points, %4 cells)</translation>
    </message>
    <message>
        <source>le maillage triangulaire n&apos;a aucune face</source>
        <translation>the triangle mesh has no face</translation>
    </message>
    <message>
        <source>la face %1 désigne le sommet %2 qui n&apos;existe pas</source>
        <translation>face %1 names vertex %2, which does not exist</translation>
    </message>
    <message>
        <source>la face %1 a deux sommets confondus</source>
        <translation>face %1 has two coincident vertices</translation>
    </message>
    <message>
        <source>le maillage est ouvert : l&apos;arête %1-%2 n&apos;appartient qu&apos;à une face</source>
        <translation>the mesh is open: edge %1-%2 belongs to one face only</translation>
    </message>
    <message>
        <source>l&apos;arête %1-%2 est partagée par %3 faces</source>
        <translation>edge %1-%2 is shared by %3 faces</translation>
    </message>
    <message>
        <source>les deux faces de l&apos;arête %1-%2 ne sont pas orientées de façon cohérente</source>
        <translation>the two faces of edge %1-%2 are not consistently oriented</translation>
    </message>
    <message>
        <source>le sommet %1 n&apos;appartient à aucune face</source>
        <translation>vertex %1 belongs to no face</translation>
    </message>
    <message>
        <source>les faces autour du sommet %1 ne forment pas un cycle</source>
        <translation>the faces around vertex %1 do not form a cycle</translation>
    </message>
    <message>
        <source>le point %1 de la maille %2 n&apos;est pas dans la liste des points</source>
        <translation>point %1 of cell %2 is not in the list of points</translation>
    </message>
    <message>
        <source>nombre de pas de déformation négatif : %1</source>
        <translation>negative number of deformation steps: %1</translation>
    </message>
    <message>
        <source>impossible de placer le maillage de référence sur le nuage : %1</source>
        <translation>the reference mesh cannot be placed on the cloud: %1</translation>
    </message>
    <message>
        <source>le centre de sa boîte englobante est sur sa surface</source>
        <translation>the centre of its bounding box is on its surface</translation>
    </message>
    <message>
        <source>le maillage n&apos;est pas un maillage simplexe fermé : %1</source>
        <translation>the mesh is not a closed simplex mesh: %1</translation>
    </message>
    <message>
        <source>il a %1 point(s) simplexe(s)</source>
        <translation>it has %1 simplex point(s)</translation>
    </message>
    <message>
        <source>ses listes compagnes sont trop courtes</source>
        <translation>its companion lists are too short</translation>
    </message>
    <message>
        <source>un point y figure deux fois</source>
        <translation>a point appears in it twice</translation>
    </message>
    <message>
        <source>le point %1 n&apos;a pas trois voisins dans le maillage</source>
        <translation>point %1 does not have three neighbours in the mesh</translation>
    </message>
    <message>
        <source>le point %1 est son propre voisin</source>
        <translation>point %1 is its own neighbour</translation>
    </message>
    <message>
        <source>le voisinage du point %1 n&apos;est pas symétrique</source>
        <translation>the neighbourhood of point %1 is not symmetric</translation>
    </message>
    <message>
        <source>le point %1 a deux fois le même voisin</source>
        <translation>point %1 has the same neighbour twice</translation>
    </message>
    <message>
        <source>le point %1 a une position non finie</source>
        <translation>point %1 has a non-finite position</translation>
    </message>
    <message>
        <source>il n&apos;a aucune maille</source>
        <translation>it has no cell</translation>
    </message>
    <message>
        <source>le nuage ne contient aucun point</source>
        <translation>the cloud holds no point</translation>
    </message>
    <message>
        <source>le nuage contient une coordonnée non finie</source>
        <translation>the cloud holds a non-finite coordinate</translation>
    </message>
    <message>
        <source>le nuage est réduit à un point</source>
        <translation>the cloud is a single point</translation>
    </message>
    <message>
        <source>le maillage diverge (au pas %1, un point s&apos;éloigne à plus de dix diagonales du nuage) : diminuer les forces</source>
        <translation>the mesh diverges (at step %1, a point moves more than ten diagonals away from the cloud): lower the forces</translation>
    </message>
    <message>
        <source>erreur interne : %1</source>
        <translation>internal error: %1</translation>
    </message>
    <message>
        <source>erreur interne inconnue</source>
        <translation>unknown internal error</translation>
    </message>
    <message>
        <source>%1 : interrompu à la demande</source>
        <translation>%1: stopped on request</translation>
    </message>
    <message>
        <source>Lecture de %1</source>
        <translation>Reading %1</translation>
    </message>
    <message>
        <source>Arrêter</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Le mode automatique</source>
        <translation>The automatic mode</translation>
    </message>
    <message>
        <source>Deformation du maillage (x%1)</source>
        <translation>Mesh deformation (x%1)</translation>
    </message>
    <message>
        <source>Deformation finale</source>
        <translation>Final deformation</translation>
    </message>
    <message>
        <source>Déformation</source>
        <translation>Deformation</translation>
    </message>
    <message>
        <source>Raffinage T26 Global</source>
        <translation>T26 global refinement</translation>
    </message>
    <message>
        <source>Raffinage T26 global</source>
        <translation>T26 global refinement</translation>
    </message>
    <message>
        <source>Raffinage T26 par angles</source>
        <translation>T26 refinement by angles</translation>
    </message>
    <message>
        <source>Raffinage T22 par surfaces</source>
        <translation>T22 refinement by areas</translation>
    </message>
    <message>
        <source>Raffinage T22 Point par maille</source>
        <translation>T22 refinement by points per cell</translation>
    </message>
    <message>
        <source>Raffinage T22 par points par maille</source>
        <translation>T22 refinement by points per cell</translation>
    </message>
    <message>
        <source>Conversion en maillage simplexe</source>
        <translation>Conversion into a simplex mesh</translation>
    </message>
    <message>
        <source>Triangularisation</source>
        <translation>Triangulation</translation>
    </message>
    <message>
        <source>Ajustement</source>
        <translation>Fit</translation>
    </message>
    <message>
        <source>Ajustement : niveau %1</source>
        <translation>Fit: level %1</translation>
    </message>
    <message>
        <source>Lecture du volume</source>
        <translation>Reading the volume</translation>
    </message>
    <message>
        <source>Construction de l&apos;arbre des points</source>
        <translation>Building the tree of the points</translation>
    </message>
    <message>
        <source>Écriture de %1</source>
        <translation>Writing %1</translation>
    </message>
    <message>
        <source>Mesure des distances</source>
        <translation>Measuring the distances</translation>
    </message>
    <message>
        <source>Ajustement : raffinage du niveau %1</source>
        <translation>Fit: refining level %1</translation>
    </message>
    <message>
        <source>Ajustement : surface posée sur le nuage</source>
        <translation>Fit: settling the surface on the cloud</translation>
    </message>
    <message>
        <source>Ajustement : surface démêlée là où elle se croisait</source>
        <translation>Fit: untangling the surface where it crossed itself</translation>
    </message>
    <message>
        <source>Ajustement : bruit du nuage lissé</source>
        <translation>Fit: smoothing the cloud's noise</translation>
    </message>
    <message>
        <source>« %1 »</source>
        <translation>“%1”</translation>
    </message>
    <message>
        <source>%1 ne peut pas être ouvert (%2)</source>
        <translation>%1 cannot be opened (%2)</translation>
    </message>
    <message>
        <source>%1 ne peut pas être ouvert</source>
        <translation>%1 cannot be opened</translation>
    </message>
    <message>
        <source>%1 est un dossier, pas un fichier</source>
        <translation>%1 is a folder, not a file</translation>
    </message>
    <message>
        <source>%1 est un tube, pas un fichier ordinaire</source>
        <translation>%1 is a pipe, not a regular file</translation>
    </message>
    <message>
        <source>%1 est un périphérique, pas un fichier ordinaire</source>
        <translation>%1 is a device, not a regular file</translation>
    </message>
    <message>
        <source>%1 n&apos;est pas un fichier ordinaire</source>
        <translation>%1 is not a regular file</translation>
    </message>
    <message>
        <source>%1 ne peut pas être créé</source>
        <translation>%1 cannot be created</translation>
    </message>
    <message>
        <source>l&apos;écriture de %1 a échoué</source>
        <translation>writing %1 failed</translation>
    </message>
    <message>
        <source>%1 incomplet : %2</source>
        <translation>%1 incomplete: %2</translation>
    </message>
    <message>
        <source>%1 n&apos;est pas un maillage reconnu (%2)</source>
        <translation>%1 is not a known mesh (%2)</translation>
    </message>
    <message>
        <source>%1 ne contient aucune face</source>
        <translation>%1 holds no face</translation>
    </message>
    <message>
        <source>mémoire insuffisante pour l&apos;index du nuage %1</source>
        <translation>not enough memory for the index of the cloud %1</translation>
    </message>
    <message>
        <source>%1 n&apos;est pas un fichier PTS : la ligne 1 ne commence pas par « PTS »</source>
        <translation>%1 is not a PTS file: line 1 does not start with “PTS”</translation>
    </message>
    <message>
        <source>%1, ligne %2 : nombre de points illisible (%3)</source>
        <translation>%1, line %2: unreadable number of points (%3)</translation>
    </message>
    <message>
        <source>%1, ligne %2 : nombre de points négatif (%3)</source>
        <translation>%1, line %2: negative number of points (%3)</translation>
    </message>
    <message>
        <source>%1 n&apos;est pas un nombre</source>
        <translation>%1 is not a number</translation>
    </message>
    <message>
        <source>%1 n&apos;est pas un nombre entier</source>
        <translation>%1 is not a whole number</translation>
    </message>
    <message>
        <source>%1 sort des limites des entiers</source>
        <translation>%1 is beyond the range of whole numbers</translation>
    </message>
    <message>
        <source>%1 sort des limites de la simple précision</source>
        <translation>%1 is beyond the single-precision range</translation>
    </message>
    <message>
        <source>%1 n&apos;est pas un fichier OFF : la ligne 1 ne commence pas par « OFF »</source>
        <translation>%1 is not an OFF file: line 1 does not start with “OFF”</translation>
    </message>
    <message>
        <source>%1 : %2 faces refusées (indice de sommet hors de la liste des sommets)</source>
        <translation>%1: %2 faces refused (vertex index outside the list of vertices)</translation>
    </message>
    <message>
        <source>volume %1 (.hdr, .img) : %2</source>
        <translation>volume %1 (.hdr, .img): %2</translation>
    </message>
    <message>
        <source>le volume %1 ne donne aucun point avec les seuils %2 à %3 et la fenêtre %4 à %5 : ses valeurs vont de %6 à %7 ; réglez la fenêtre (valeurs de voxel minimum et maximum) dans les préférences, fichiers HDR / IMG, ou prenez-la du volume avec « Fenêtre du volume »</source>
        <translation>the volume %1 gives no point with the thresholds %2 to %3 and the window %4 to %5: its values go from %6 to %7; set the window (minimum and maximum voxel values) in the preferences, HDR / IMG file parameters, or take it from the volume with “Window from a volume”</translation>
    </message>
    <message>
        <source>Lecture du maillage</source>
        <translation>Reading the mesh</translation>
    </message>
    <message>
        <source>Lecture du nuage de points</source>
        <translation>Reading the point cloud</translation>
    </message>
    <message>
        <source>Lecture du maillage simplexe</source>
        <translation>Reading the simplex mesh</translation>
    </message>
    <message>
        <source>Raffinage T26 global : éclatement des points</source>
        <translation>T26 global refinement: splitting the points</translation>
    </message>
    <message>
        <source>Raffinage T26 global : recopie</source>
        <translation>T26 global refinement: copying back</translation>
    </message>
    <message>
        <source>Création des points simplexes</source>
        <translation>Creating the simplex points</translation>
    </message>
    <message>
        <source>Création des mailles simplexes</source>
        <translation>Creating the simplex cells</translation>
    </message>
    <message>
        <source>Création des mailles simplex terminée</source>
        <translation>Simplex cells created</translation>
    </message>
    <message>
        <source>Triangularisation des mailles</source>
        <translation>Cell triangulation</translation>
    </message>
    <message>
        <source>%1 (Pelvane.exe --help pour l&apos;aide)</source>
        <translation>%1 (Pelvane.exe --help for help)</translation>
    </message>
    <message>
        <source>%1 : nombre réel attendu, reçu &quot;%2&quot;</source>
        <translation>%1: real number expected, got &quot;%2&quot;</translation>
    </message>
    <message>
        <source>%1 : doit être entre 0 et 100, reçu &quot;%2&quot;</source>
        <translation>%1: must be between 0 and 100, got &quot;%2&quot;</translation>
    </message>
    <message>
        <source>%1 : nombre entier attendu, reçu &quot;%2&quot;</source>
        <translation>%1: whole number expected, got &quot;%2&quot;</translation>
    </message>
    <message>
        <source>%1 : doit être entre %2 et %3, reçu &quot;%4&quot;</source>
        <translation>%1: must be between %2 and %3, got &quot;%4&quot;</translation>
    </message>
    <message>
        <source>%1 : chemin vide</source>
        <translation>%1: empty path</translation>
    </message>
    <message>
        <source>10 arguments attendus (forme du lanceur), %1 reçus</source>
        <translation>10 arguments expected (launcher form), %1 given</translation>
    </message>
    <message>
        <source>sauvegarde automatique : 1 ou 0 attendu, reçu &quot;%1&quot;</source>
        <translation>automatic save: 1 or 0 expected, got &quot;%1&quot;</translation>
    </message>
    <message>
        <source>argument inattendu &quot;%1&quot;</source>
        <translation>unexpected argument &quot;%1&quot;</translation>
    </message>
    <message>
        <source>--autosave ne prend pas de valeur</source>
        <translation>--autosave takes no value</translation>
    </message>
    <message>
        <source>option inconnue &quot;%1&quot;</source>
        <translation>unknown option &quot;%1&quot;</translation>
    </message>
    <message>
        <source>%1 : valeur manquante</source>
        <translation>%1: value missing</translation>
    </message>
    <message>
        <source>--method : &quot;ajustement&quot; ou &quot;cycles&quot; attendu, reçu &quot;%1&quot;</source>
        <translation>--method: &quot;ajustement&quot; or &quot;cycles&quot; expected, got &quot;%1&quot;</translation>
    </message>
    <message>
        <source>%1 : %2 attendu, reçu &quot;%3&quot;</source>
        <translation>%1: %2 expected, got &quot;%3&quot;</translation>
    </message>
    <message>
        <source>--tolerance : un réel strictement positif est attendu</source>
        <translation>--tolerance: a strictly positive real number is expected</translation>
    </message>
    <message>
        <source>--cloud est obligatoire</source>
        <translation>--cloud is required</translation>
    </message>
    <message>
        <source>aucun argument</source>
        <translation>no argument</translation>
    </message>
    <message>
        <source>le nuage &quot;%1&quot; ne contient aucun point</source>
        <translation>the cloud &quot;%1&quot; holds no point</translation>
    </message>
    <message>
        <source>le nuage &quot;%1&quot; contient une coordonnée non finie</source>
        <translation>the cloud &quot;%1&quot; holds a non-finite coordinate</translation>
    </message>
    <message>
        <source>le nuage &quot;%1&quot; contient une coordonnée non finie (point %2)</source>
        <translation>the cloud &quot;%1&quot; holds a coordinate that is not finite (point %2)</translation>
    </message>
    <message>
        <source>%1 : ses %2 points ont tous une coordonnée non finie (NaN ou infinie) : aucun point à ajuster</source>
        <translation>%1: all its %2 points have a coordinate that is not finite (NaN or infinite): no point to fit</translation>
    </message>
    <message>
        <source>le nuage &quot;%1&quot; est réduit à un point</source>
        <translation>the cloud &quot;%1&quot; is a single point</translation>
    </message>
    <message>
        <source>impossible de créer le dossier de sortie &quot;%1&quot;</source>
        <translation>the output folder &quot;%1&quot; cannot be created</translation>
    </message>
    <message>
        <source>impossible d&apos;écrire dans le dossier de sortie &quot;%1&quot;</source>
        <translation>the output folder &quot;%1&quot; cannot be written to</translation>
    </message>
    <message>
        <source>la sortie &quot;%1&quot; écraserait le fichier d&apos;entrée &quot;%2&quot;</source>
        <translation>the output &quot;%1&quot; would overwrite the input file &quot;%2&quot;</translation>
    </message>
    <message>
        <source>un fichier .smm est attendu</source>
        <translation>an .smm file is expected</translation>
    </message>
    <message>
        <source>le maillage de référence &quot;%1&quot; n&apos;est pas un fichier SMM lisible</source>
        <translation>the reference mesh &quot;%1&quot; is not a readable SMM file</translation>
    </message>
    <message>
        <source>le maillage de référence &quot;%1&quot; n&apos;est pas un maillage simplexe fermé : %2</source>
        <translation>the reference mesh &quot;%1&quot; is not a closed simplex mesh: %2</translation>
    </message>
    <message>
        <source>impossible d&apos;écrire &quot;%1&quot;</source>
        <translation>&quot;%1&quot; cannot be written</translation>
    </message>
    <message>
        <source>%1 n&apos;est pas un nuage de points reconnu (%2)</source>
        <translation>%1 is not a known point cloud (%2)</translation>
    </message>
    <message>
        <source>%1 n&apos;est pas un volume Analyze ou NIfTI (.hdr, .img, .nii, .nii.gz)</source>
        <translation>%1 is not an Analyze or NIfTI volume (.hdr, .img, .nii, .nii.gz)</translation>
    </message>
    <message>
        <source>volume NIfTI %1 : %2</source>
        <translation>NIfTI volume %1: %2</translation>
    </message>
    <message>
        <source>volume NIfTI : %1</source>
        <translation>NIfTI volume: %1</translation>
    </message>
    <message>
        <source>ne peut pas être ouvert</source>
        <translation>cannot be opened</translation>
    </message>
    <message>
        <source>en-tête incomplet (%1 octets, 348 au moins)</source>
        <translation>incomplete header (%1 bytes, at least 348)</translation>
    </message>
    <message>
        <source>en-tête sans la signature NIfTI (n+1, ni1, n+2 ou ni2)</source>
        <translation>header without the NIfTI magic (n+1, ni1, n+2 or ni2)</translation>
    </message>
    <message>
        <source>en-tête NIfTI-2 incomplet (%1 octets sur 540)</source>
        <translation>incomplete NIfTI-2 header (%1 bytes of 540)</translation>
    </message>
    <message>
        <source>en-tête refusé par la bibliothèque NIfTI</source>
        <translation>header refused by the NIfTI library</translation>
    </message>
    <message>
        <source>nombre de dimensions impossible (dim[0] = %1)</source>
        <translation>impossible number of dimensions (dim[0] = %1)</translation>
    </message>
    <message>
        <source>dimension %1 impossible (%2)</source>
        <translation>impossible dimension %1 (%2)</translation>
    </message>
    <message>
        <source>type de voxel non pris en charge (%1) : entiers de 8, 16 ou 32 bits et réels de 32 ou 64 bits seulement</source>
        <translation>voxel type not supported (%1): 8, 16 or 32-bit integers and 32 or 64-bit reals only</translation>
    </message>
    <message>
        <source>volume trop grand (%1 x %2 x %3)</source>
        <translation>volume too large (%1 x %2 x %3)</translation>
    </message>
    <message>
        <source>début des voxels impossible (vox_offset = %1)</source>
        <translation>impossible start of the voxels (vox_offset = %1)</translation>
    </message>
    <message>
        <source>mémoire insuffisante pour %1 voxels</source>
        <translation>not enough memory for %1 voxels</translation>
    </message>
    <message>
        <source>mémoire insuffisante pour %1 octets</source>
        <translation>not enough memory for %1 bytes</translation>
    </message>
    <message>
        <source>données compressées coupées ou corrompues (%1)</source>
        <translation>compressed data cut short or corrupt (%1)</translation>
    </message>
    <message>
        <source>données compressées coupées</source>
        <translation>compressed data cut short</translation>
    </message>
    <message>
        <source>fichier trop court</source>
        <translation>file too short</translation>
    </message>
    <message>
        <source>%1 : %2 octets lus sur les %3 attendus</source>
        <translation>%1: %2 bytes read of the %3 expected</translation>
    </message>
    <message>
        <source>le fichier compressé de %1 octets ne peut pas contenir les %2 octets annoncés par l&apos;en-tête</source>
        <translation>the compressed file of %1 bytes cannot hold the %2 bytes the header announces</translation>
    </message>
    <message>
        <source>le fichier de %1 octets ne peut pas contenir les %2 octets annoncés par l&apos;en-tête</source>
        <translation>the file of %1 bytes cannot hold the %2 bytes the header announces</translation>
    </message>
    <message>
        <source>fichier trop court : %1 octets, %2 attendus</source>
        <translation>file too short: %1 bytes, %2 expected</translation>
    </message>
    <message>
        <source>en-tête d&apos;une paire .hdr/.img (ni1, ni2) : les voxels sont dans le fichier .img</source>
        <translation>header of a .hdr/.img pair (ni1, ni2): the voxels are in the .img file</translation>
    </message>
    <message>
        <source>en-tête d&apos;un fichier unique (n+1, n+2) porté par un .hdr</source>
        <translation>header of a single file (n+1, n+2) in a .hdr</translation>
    </message>
    <message>
        <source>en-tête d&apos;une paire .hdr/.img (ni1, ni2) dans un fichier unique</source>
        <translation>header of a .hdr/.img pair (ni1, ni2) in a single file</translation>
    </message>
    <message>
        <source>fichier de %1 volumes : seul le premier est lu</source>
        <translation>file of %1 volumes: only the first is read</translation>
    </message>
    <message>
        <source>facteur d&apos;échelle non fini (scl_slope = %1, scl_inter = %2)</source>
        <translation>scaling that is not finite (scl_slope = %1, scl_inter = %2)</translation>
    </message>
    <message>
        <source>voxel (%1, %2, %3) : %4 x scl_slope %5 + scl_inter %6 sort de la simple précision</source>
        <translation>voxel (%1, %2, %3): %4 x scl_slope %5 + scl_inter %6 is beyond single precision</translation>
    </message>
    <message>
        <source>voxel (%1, %2, %3) : la valeur %4 sort de la simple précision</source>
        <translation>voxel (%1, %2, %3): the value %4 is beyond single precision</translation>
    </message>
    <message>
        <source>image illisible</source>
        <translation>unreadable image</translation>
    </message>
    <message>
        <source>taille de voxel absente de l&apos;en-tête, prise à 1 mm</source>
        <translation>voxel size missing from the header, taken as 1 mm</translation>
    </message>
    <message>
        <source>indices de voxels</source>
        <translation>voxel indices</translation>
    </message>
    <message>
        <source>millimètres (tailles des voxels)</source>
        <translation>millimetres (voxel sizes)</translation>
    </message>
    <message>
        <source>millimètres (qform)</source>
        <translation>millimetres (qform)</translation>
    </message>
    <message>
        <source>millimètres (sform)</source>
        <translation>millimetres (sform)</translation>
    </message>
    <message>
        <source>le volume %1 n&apos;a pas de niveau automatique (%2) : donnez-en un (--level)</source>
        <translation>the volume %1 has no automatic level (%2): give one (--level)</translation>
    </message>
    <message>
        <source>le volume %1 n&apos;a aucun voxel %2 : %3</source>
        <translation>the volume %1 has no voxel %2: %3</translation>
    </message>
    <message>
        <source>au niveau %1 ou au-dessus</source>
        <translation>at level %1 or above</translation>
    </message>
    <message>
        <source>entre %1 et %2</source>
        <translation>between %1 and %2</translation>
    </message>
    <message>
        <source>ses valeurs vont de %1 à %2</source>
        <translation>its values go from %1 to %2</translation>
    </message>
    <message>
        <source>aucune valeur finie</source>
        <translation>no finite value</translation>
    </message>
    <message>
        <source>le volume %1 a %2 points de frontière, plus que les %3 que cette machine peut tenir (%4 octets par point) : donnez un niveau ou une bande qui en donne moins (--level, --band)</source>
        <translation>the volume %1 has %2 boundary points, more than the %3 this machine can hold (%4 bytes per point): give a level or a band that gives fewer (--level, --band)</translation>
    </message>
    <message>
        <source>la région du volume %1 est faite de voxels épars : %2 points de frontière pour %3 voxels, plus de %4 par voxel (du bruit ou un damier, pas une surface) : donnez un autre niveau ou une bande (--level, --band)</source>
        <translation>the region of the volume %1 is made of scattered voxels: %2 boundary points for %3 voxels, more than %4 a voxel (noise or a checkerboard, not a surface): give another level or a band (--level, --band)</translation>
    </message>
    <message>
        <source>--level et --band : un seul niveau ou une seule bande</source>
        <translation>--level and --band: one level or one band only</translation>
    </message>
    <message>
        <source>--level, --band et --voxels valent pour un volume (.nii, .nii.gz, .hdr/.img) ; %1 n&apos;en est pas un</source>
        <translation>--level, --band and --voxels apply to a volume (.nii, .nii.gz, .hdr/.img); %1 is not one</translation>
    </message>
    <message>
        <source>--band : deux valeurs attendues, BAS et HAUT</source>
        <translation>--band: two values expected, LOW and HIGH</translation>
    </message>
    <message>
        <source>--band : BAS doit être au plus HAUT, reçu %1 et %2</source>
        <translation>--band: LOW must be at most HIGH, received %1 and %2</translation>
    </message>
    <message>
        <source>impossible d&apos;écrire &quot;%1&quot; : %2</source>
        <translation>&quot;%1&quot; cannot be written: %2</translation>
    </message>
    <message>
        <source>entrée introuvable : %1</source>
        <translation>input not found: %1</translation>
    </message>
    <message>
        <source>liste illisible : %1</source>
        <translation>unreadable list: %1</translation>
    </message>
    <message>
        <source>aucun nuage (%1) dans %2</source>
        <translation>no cloud (%1) in %2</translation>
    </message>
    <message>
        <source>%1 n&apos;est pas le dossier de sortie d&apos;un lot</source>
        <translation>%1 is not the output folder of a batch</translation>
    </message>
    <message>
        <source>impossible d&apos;écrire le résumé dans %1</source>
        <translation>cannot write the summary in %1</translation>
    </message>
    <message>
        <source>usage : PelvaneLot.exe [--lang en|fr] [--english-csv] --nuages ENTREE SORTIE | --a-faire SORTIE | --complet NUAGE DOSSIER | --resume SORTIE | --version</source>
        <translation>usage: PelvaneLot.exe [--lang en|fr] [--english-csv] --nuages INPUT OUT | --a-faire OUT | --complet CLOUD FOLDER | --resume OUT | --version</translation>
    </message>
    <message>
        <source>%1 n&apos;est pas un fichier PTS : la ligne 1 dépasse %2 caractères sans fin de ligne</source>
        <translation>%1 is not a PTS file: line 1 runs past %2 characters with no end of line</translation>
    </message>
    <message>
        <source>des octets de contrôle, pas du texte (un fichier binaire ?)</source>
        <translation>control bytes, not text (a binary file?)</translation>
    </message>
    <message>
        <source>%1 points annoncés, %2 lus ; la lecture s&apos;est arrêtée ligne %3 (point %4) : %5 ; %6, après le nombre de points sur la ligne 2, n&apos;est pas lu : les points commencent ligne 3</source>
        <translation>%1 points announced, %2 read; reading stopped at line %3 (point %4): %5; %6, after the point count on line 2, is not read: the points start on line 3</translation>
    </message>
    <message>
        <source>%1 n&apos;est pas un fichier PLY : il ne commence pas par une ligne « ply »</source>
        <translation>%1 is not a PLY file: it does not begin with a “ply” line</translation>
    </message>
    <message>
        <source>%1 n&apos;est pas un fichier PCD : %2 trouvé où l&apos;en-tête était attendu</source>
        <translation>%1 is not a PCD file: %2 found where the header was expected</translation>
    </message>
    <message>
        <source>%1 : en-tête sans fin (%2 attendu dans les %3 premiers octets)</source>
        <translation>%1: header with no end (%2 expected within the first %3 bytes)</translation>
    </message>
    <message>
        <source>%1, ligne %2 de l&apos;en-tête : %3</source>
        <translation>%1, header line %2: %3</translation>
    </message>
    <message>
        <source>%1 n&apos;est pas compris ici</source>
        <translation>%1 is not understood here</translation>
    </message>
    <message>
        <source>type %1 inconnu</source>
        <translation>unknown type %1</translation>
    </message>
    <message>
        <source>%1 : pas de propriétés x, y et z dans %2</source>
        <translation>%1: no x, y and z properties in %2</translation>
    </message>
    <message>
        <source>%1 : %2 %3 annoncés, plus que les %4 octets du fichier n&apos;en peuvent tenir</source>
        <translation>%1: %2 %3 announced, more than the file&apos;s %4 bytes can hold</translation>
    </message>
    <message>
        <source>%1 : le fichier s&apos;arrête à l&apos;octet %2, dans %3 n° %4 sur %5</source>
        <translation>%1: the file stops at byte %2, in %3 no. %4 of %5</translation>
    </message>
    <message>
        <source>%1 : les données « binary_compressed » ne sont pas lues ; enregistrez le nuage en « binary » ou « ascii »</source>
        <translation>%1: “binary_compressed” data is not read; save the cloud as “binary” or “ascii”</translation>
    </message>
    <message>
        <source>%1 nombres trouvés, %2 attendus</source>
        <translation>%1 numbers found, %2 expected</translation>
    </message>
    <message>
        <source>%1 sort des limites de la double précision</source>
        <translation>%1 is beyond the limits of double precision</translation>
    </message>
    <message>
        <source>liste de %1 éléments impossible</source>
        <translation>impossible list of %1 items</translation>
    </message>
    <message>
        <source>%1 : %2 n° %3 désigne le sommet %4, hors des %5 sommets</source>
        <translation>%1: %2 no. %3 names vertex %4, outside the %5 vertices</translation>
    </message>
    <message>
        <source>%1 : %2 points, plus que les %3 qu&apos;un nuage peut tenir</source>
        <translation>%1: %2 points, more than the %3 a cloud can hold</translation>
    </message>
    <message>
        <source>%1 : aucun point (aucune ligne de trois nombres)</source>
        <translation>%1: no point (no line of three numbers)</translation>
    </message>
    <message>
        <source>%1, octet %2 : %3</source>
        <translation>%1, byte %2: %3</translation>
    </message>
    <message>
        <source>%1, ligne %2 : %3 après le dernier élément annoncé</source>
        <translation>%1, line %2: %3 after the last announced element</translation>
    </message>
    <message>
        <source>%1 : le fichier a changé pendant la lecture</source>
        <translation>%1: the file changed while it was being read</translation>
    </message>
    <message>
        <source>%1, octet %2 : %3 octets après le dernier élément annoncé</source>
        <translation>%1, byte %2: %3 bytes after the last announced element</translation>
    </message>
    <message>
        <source>%1 : POINTS %2, mais WIDTH × HEIGHT = %3</source>
        <translation>%1: POINTS %2, but WIDTH × HEIGHT = %3</translation>
    </message>
    <message>
        <source>%1 : WIDTH %2 × HEIGHT %3, plus que les %4 points qu&apos;un nuage peut tenir</source>
        <translation>%1: WIDTH %2 × HEIGHT %3, more than the %4 points a cloud can hold</translation>
    </message>
    <message>
        <source>%1, octet %2 : les données annoncées %3 sont du texte</source>
        <translation>%1, byte %2: the data declared %3 are text</translation>
    </message>
    <message>
        <source>%1, octet %2 : %3 des %4 premières coordonnées ne sont pas finies ou sont dénormales ; ce ne sont pas des données %5</source>
        <translation>%1, byte %2: %3 of the first %4 coordinates are not finite or are denormal; these are not %5 data</translation>
    </message>
    <message>
        <source>%1 ne tient pas dans le type %2</source>
        <translation>%1 does not fit in type %2</translation>
    </message>
    <message>
        <source>%1 : %2 %3 annoncés sans aucune propriété</source>
        <translation>%1: %2 %3 announced without any property</translation>
    </message>
    <message>
        <source>%1 déclaré deux fois</source>
        <translation>%1 declared twice</translation>
    </message>
    <message>
        <source>%1 : la coordonnée %2 de %3 est une liste</source>
        <translation>%1: coordinate %2 of %3 is a list</translation>
    </message>
    <message>
        <source>%1 : mémoire insuffisante (%2, %3 octets demandés)</source>
        <translation>%1: not enough memory (%2, %3 bytes asked for)</translation>
    </message>
    <message>
        <source>%1 n&apos;est pas un fichier OFF : la ligne 1 dépasse %2 caractères sans fin de ligne</source>
        <translation>%1 is not an OFF file: line 1 runs past %2 characters with no end of line</translation>
    </message>
    <message>
        <source>%1, ligne %2 : nombre de sommets négatif (%3)</source>
        <translation>%1, line %2: negative vertex count (%3)</translation>
    </message>
    <message>
        <source>%1, ligne %2 : nombre de faces négatif (%3)</source>
        <translation>%1, line %2: negative face count (%3)</translation>
    </message>
    <message>
        <source>%1, ligne %2 : nombre d&apos;arêtes négatif (%3)</source>
        <translation>%1, line %2: negative edge count (%3)</translation>
    </message>
    <message>
        <source>%1, ligne %2 : nombres de sommets, de faces et d&apos;arêtes attendus, %3 trouvé</source>
        <translation>%1, line %2: vertex, face and edge counts expected, %3 found</translation>
    </message>
    <message>
        <source>%1, ligne %2 : nombres de sommets, de faces et d&apos;arêtes attendus, des octets de contrôle trouvés (un fichier binaire ?)</source>
        <translation>%1, line %2: vertex, face and edge counts expected, control bytes found (a binary file?)</translation>
    </message>
    <message>
        <source>la première ligne dépasse %1 caractères sans fin de ligne : ce n&apos;est pas un en-tête SMM</source>
        <translation>the first line runs past %1 characters with no end of line: it is not an SMM header</translation>
    </message>
    <message>
        <source>nombres de points et de mailles illisibles (%1)</source>
        <translation>unreadable point and cell counts (%1)</translation>
    </message>
    <message>
        <source>nombre de points ou de mailles négatif ou trop grand (%1 points, %2 mailles)</source>
        <translation>negative or too large point or cell count (%1 points, %2 cells)</translation>
    </message>
    <message>
        <source>le fichier annonce 0 point (et %1 mailles) : un maillage simplexe en a au moins quatre</source>
        <translation>the file announces 0 points (and %1 cells): a simplex mesh has at least four</translation>
    </message>
    <message>
        <source>%1 points annoncés, mais le fichier ne fait que %2 octets après son en-tête (11 au moins par point)</source>
        <translation>%1 points announced, but the file holds only %2 bytes after its header (at least 11 per point)</translation>
    </message>
    <message>
        <source>%1 points annoncés, %2 présents : le fichier s&apos;arrête dans le point %3</source>
        <translation>%1 points announced, %2 present: the file ends within point %3</translation>
    </message>
    <message>
        <source>%1 n&apos;est pas un nombre réel fini</source>
        <translation>%1 is not a finite real number</translation>
    </message>
    <message>
        <source>%1 mailles annoncées, %2 présentes : le fichier s&apos;arrête là</source>
        <translation>%1 cells announced, %2 present: the file ends there</translation>
    </message>
    <message>
        <source>taille illisible (%1)</source>
        <translation>unreadable size (%1)</translation>
    </message>
    <message>
        <source>taille négative (%1)</source>
        <translation>negative size (%1)</translation>
    </message>
    <message>
        <source>maille %1 incomplète : %2 points annoncés, %3 lus ; %4</source>
        <translation>cell %1 incomplete: %2 points announced, %3 read; %4</translation>
    </message>
    <message>
        <source>le nuage n&apos;a que %1 points : il faut au moins quatre points hors d&apos;un même plan pour l&apos;envelopper d&apos;une surface fermée</source>
        <translation>the cloud has only %1 points : at least four points off one plane are needed to wrap it in a closed surface</translation>
    </message>
    <message>
        <source>le nuage a ses %1 points sur une même droite : il faut au moins quatre points hors d&apos;un même plan pour l&apos;envelopper d&apos;une surface fermée</source>
        <translation>the cloud has its %1 points on one line : at least four points off one plane are needed to wrap it in a closed surface</translation>
    </message>
    <message>
        <source>le nuage a ses %1 points dans un même plan : il faut au moins quatre points hors d&apos;un même plan pour l&apos;envelopper d&apos;une surface fermée</source>
        <translation>the cloud has its %1 points in one plane : at least four points off one plane are needed to wrap it in a closed surface</translation>
    </message>
    <message>
        <source>le nuage &quot;%1&quot; n&apos;a que %2 points : il faut au moins quatre points hors d&apos;un même plan pour l&apos;envelopper d&apos;une surface fermée</source>
        <translation>the cloud &quot;%1&quot; has only %2 points : at least four points off one plane are needed to wrap it in a closed surface</translation>
    </message>
    <message>
        <source>le nuage &quot;%1&quot; a ses %2 points sur une même droite : il faut au moins quatre points hors d&apos;un même plan pour l&apos;envelopper d&apos;une surface fermée</source>
        <translation>the cloud &quot;%1&quot; has its %2 points on one line : at least four points off one plane are needed to wrap it in a closed surface</translation>
    </message>
    <message>
        <source>le nuage &quot;%1&quot; a ses %2 points dans un même plan : il faut au moins quatre points hors d&apos;un même plan pour l&apos;envelopper d&apos;une surface fermée</source>
        <translation>the cloud &quot;%1&quot; has its %2 points in one plane : at least four points off one plane are needed to wrap it in a closed surface</translation>
    </message>
    <message>
        <source>le nuage &quot;%1&quot; annonce %2 points (ligne 2) mais en contient %3 de plus : corrigez le nombre de points de la ligne 2</source>
        <translation>the cloud &quot;%1&quot; announces %2 points (line 2) but holds %3 more: correct the point count on line 2</translation>
    </message>
    <message>
        <source>arrêté par le signal %1 : les fichiers de ce calcul sont supprimés</source>
        <translation>stopped by signal %1: the files of this run are removed</translation>
    </message>
    <message>
        <source>le maillage de référence &quot;%1&quot; est un maillage triangulaire (%2 sommets, %3 faces), pas un maillage simplexe : il faut un fichier SMM</source>
        <translation>the reference mesh &quot;%1&quot; is a triangle mesh (%2 vertices, %3 faces), not a simplex mesh: an SMM file is needed</translation>
    </message>
    <message>
        <source>%1 n&apos;est ni un STL texte (« solid » au début) ni un STL binaire : l&apos;en-tête annonce %2 triangles, soit %3 octets, le fichier en a %4</source>
        <translation>%1 is neither a text STL (“solid” at the start) nor a binary STL: its header announces %2 triangles, that is %3 bytes, the file has %4</translation>
    </message>
    <message>
        <source>%1 n&apos;est pas un fichier STL : %2 octets, sans « solid » au début, moins que les 84 d&apos;un en-tête binaire</source>
        <translation>%1 is not an STL file: %2 bytes, no “solid” at the start, fewer than the 84 of a binary header</translation>
    </message>
    <message>
        <source>%1 : triangle %2 : coordonnée non finie à l&apos;octet %3</source>
        <translation>%1: triangle %2: coordinate not finite at byte %3</translation>
    </message>
    <message>
        <source>%1, ligne %2 : « %3 » attendu, %4 trouvé</source>
        <translation>%1, line %2: “%3” expected, %4 found</translation>
    </message>
    <message>
        <source>%1, ligne %2 : « %3 » attendu, fin du fichier trouvée</source>
        <translation>%1, line %2: “%3” expected, end of file found</translation>
    </message>
    <message>
        <source>%1, ligne %2 : coordonnée illisible, %3 trouvé</source>
        <translation>%1, line %2: unreadable coordinate, %3 found</translation>
    </message>
    <message>
        <source>%1 : %2 triangles, plus que les %3 qu&apos;un maillage peut tenir</source>
        <translation>%1: %2 triangles, more than the %3 a mesh can hold</translation>
    </message>
    <message>
        <source>%1 : les %2 premiers triangles, dès l&apos;octet %3, ne sont que des octets nuls (un fichier vide ou creux, pas un maillage)</source>
        <translation>%1: the first %2 triangles, from byte %3, are nothing but zero bytes (a blank or sparse file, not a mesh)</translation>
    </message>
    <message>
        <source>%1 : le sommet %2 sort de la simple précision du STL (%3)</source>
        <translation>%1: vertex %2 is beyond the single precision of STL (%3)</translation>
    </message>
    <message>
        <source>%1 : la face %2 nomme un sommet hors de la liste des sommets</source>
        <translation>%1: face %2 names a vertex outside the vertex list</translation>
    </message>
    <message>
        <source>--format : format inconnu « %1 » (valides : %2)</source>
        <translation>--format: unknown format “%1” (valid: %2)</translation>
    </message>
    <message>
        <source>--format : aucun format donné (valides : %1)</source>
        <translation>--format: no format given (valid: %1)</translation>
    </message>
    <message>
        <source>l&apos;écriture à six chiffres significatifs (%1) déplace les sommets de %2 au plus, plus du dixième de l&apos;écart moyen de l&apos;ajustement (%3) : le PLY garde la double précision</source>
        <translation>writing with six significant digits (%1) moves the vertices by up to %2, more than a tenth of the fit&apos;s mean distance (%3): PLY keeps double precision</translation>
    </message>
    <message>
        <source>--lang : « en » ou « fr » attendu, reçu « %1 »</source>
        <translation>--lang: “en” or “fr” expected, got “%1”</translation>
    </message>
    <message>
        <source>--report : « text » ou « json » attendu, reçu « %1 »</source>
        <translation>--report: “text” or “json” expected, got “%1”</translation>
    </message>
    <message>
        <source>volume %1 : %2</source>
        <translation>volume %1: %2</translation>
    </message>
    <message>
        <source>aucun lecteur de volume ne reconnaît ce fichier</source>
        <translation>no volume reader recognises this file</translation>
    </message>
    <message>
        <source>nombre de dimensions non pris en charge (%1) : 2, 3 ou 4 seulement</source>
        <translation>number of dimensions not supported (%1): 2, 3 or 4 only</translation>
    </message>
    <message>
        <source>voxels à %1 composantes : une seule valeur par voxel attendue</source>
        <translation>voxels of %1 components: one value per voxel expected</translation>
    </message>
    <message>
        <source>axes du volume impossibles (direction ou espacement nul, non fini ou plat)</source>
        <translation>impossible volume axes (direction or spacing zero, not finite or flat)</translation>
    </message>
    <message>
        <source>le volume %1 est demandé, le fichier en a %2</source>
        <translation>volume %1 is asked for, the file has %2</translation>
    </message>
    <message>
        <source>volume %1 sur %2</source>
        <translation>volume %1 of %2</translation>
    </message>
    <message>
        <source>orientation DICOM impossible (ImageOrientationPatient = « %1 ») : deux vecteurs unitaires perpendiculaires attendus</source>
        <translation>impossible DICOM orientation (ImageOrientationPatient = “%1”): two perpendicular unit vectors expected</translation>
    </message>
    <message>
        <source>tranches d&apos;orientations différentes (« %1 », puis « %2 »)</source>
        <translation>slices of different orientations (“%1”, then “%2”)</translation>
    </message>
    <message>
        <source>tranches inégalement espacées (de %1 à %2 mm le long de la normale) : une tranche manque ou la série est coupée</source>
        <translation>unevenly spaced slices (%1 to %2 mm along the normal): a slice is missing or the series is cut</translation>
    </message>
    <message>
        <source>aucune série DICOM lisible à cet endroit</source>
        <translation>no readable DICOM series there</translation>
    </message>
    <message>
        <source>dossier de %1 séries DICOM : seule la série %2 est lue (%3)</source>
        <translation>folder of %1 DICOM series: only series %2 is read (%3)</translation>
    </message>
    <message>
        <source>en-tête MGH incomplet (%1 octets, 90 au moins)</source>
        <translation>incomplete MGH header (%1 bytes, at least 90)</translation>
    </message>
    <message>
        <source>version MGH inconnue (%1, 1 attendue)</source>
        <translation>unknown MGH version (%1, 1 expected)</translation>
    </message>
    <message>
        <source>type de voxel MGH non pris en charge (%1) : 0, 1, 3 ou 4 seulement</source>
        <translation>MGH voxel type not supported (%1): 0, 1, 3 or 4 only</translation>
    </message>
    <message>
        <source>données coupées : %1 octets sur les %2 attendus</source>
        <translation>data cut short: %1 bytes of the %2 expected</translation>
    </message>
    <message>
        <source>%1 est un fichier PAR/REC (Philips) : non lu ; convertissez-le en NIfTI (dcm2niix, ou parrec2nii de nibabel)</source>
        <translation>%1 is a PAR/REC file (Philips): not read; convert it to NIfTI (dcm2niix, or nibabel&apos;s parrec2nii)</translation>
    </message>
    <message>
        <source>%1 est un fichier AFNI (.HEAD/.BRIK) : non lu ; convertissez-le en NIfTI (3dAFNItoNIFTI)</source>
        <translation>%1 is an AFNI file (.HEAD/.BRIK): not read; convert it to NIfTI (3dAFNItoNIFTI)</translation>
    </message>
    <message>
        <source>%1 est un fichier ECAT 7 : non lu ; convertissez-le en NIfTI (nibabel)</source>
        <translation>%1 is an ECAT 7 file: not read; convert it to NIfTI (nibabel)</translation>
    </message>
    <message>
        <source>millimètres (origine, axes et espacement du fichier)</source>
        <translation>millimetres (the file&apos;s origin, axes and spacing)</translation>
    </message>
    <message>
        <source>millimètres (position et orientation des tranches DICOM)</source>
        <translation>millimetres (position and orientation of the DICOM slices)</translation>
    </message>
    <message>
        <source>millimètres (vox2ras MGH)</source>
        <translation>millimetres (MGH vox2ras)</translation>
    </message>
    <message>
        <source>carte de labels (%1 labels entiers, fond %2) : sans niveau d&apos;Otsu, la région est la réunion des labels ; --label N pour un seul, --labels all pour chacun</source>
        <translation>label map (%1 integer labels, background %2): no Otsu level, the region is the union of the labels; --label N for one, --labels all for each</translation>
    </message>
    <message>
        <source>de label %1</source>
        <translation>of label %1</translation>
    </message>
    <message>
        <source>--label : un ou plusieurs labels entiers attendus (N ou N,M,...), reçu « %1 »</source>
        <translation>--label: one or more integer labels expected (N or N,M,...), received “%1”</translation>
    </message>
    <message>
        <source>--labels : « all » attendu, reçu « %1 »</source>
        <translation>--labels: “all” expected, received “%1”</translation>
    </message>
    <message>
        <source>--level, --band, --label et --labels : une seule région</source>
        <translation>--level, --band, --label and --labels: one region only</translation>
    </message>
    <message>
        <source>--volume : un entier à partir de 1 attendu, reçu « %1 »</source>
        <translation>--volume: an integer from 1 expected, received “%1”</translation>
    </message>
    <message>
        <source>--labels all : le nuage doit être un volume</source>
        <translation>--labels all: the cloud must be a volume</translation>
    </message>
    <message>
        <source>--labels all : le volume %1 n&apos;est pas une carte de labels (valeurs entières, de 3 à %2 valeurs distinctes, par régions d&apos;une valeur)</source>
        <translation>--labels all: volume %1 is not a label map (integer values, 3 to %2 distinct values, in regions of one value)</translation>
    </message>
</context>
<context>
    <name>SettingWindow</name>
    <message>
        <source>Points isolés du nuage</source>
        <translation>Stray points of the cloud</translation>
    </message>
    <message>
        <source>Les points isolés de la surface que décrit le reste du nuage sont écartés de l&apos;ajustement précis, ou tous les points le tirent</source>
        <translation>The points apart from the surface the rest of the cloud describes are set aside from the precise fit, or every point pulls on it</translation>
    </message>
    <message>
        <source>écartés (automatique)</source>
        <translation>set aside (automatic)</translation>
    </message>
    <message>
        <source>gardés</source>
        <translation>kept</translation>
    </message>
    <message>
        <source>Bruit du nuage</source>
        <translation>Noise of the cloud</translation>
    </message>
    <message>
        <source>Les points qui tirent sur la surface sont ramenés au milieu de leur couche avant l&apos;ajustement précis</source>
        <translation>The points that pull on the surface are brought onto the middle of their layer before the precise fit</translation>
    </message>
    <message>
        <source>lissé s&apos;il est bruité (automatique)</source>
        <translation>smoothed when noisy (automatic)</translation>
    </message>
    <message>
        <source>toujours lissé</source>
        <translation>always smoothed</translation>
    </message>
    <message>
        <source>jamais lissé</source>
        <translation>never smoothed</translation>
    </message>
    <message>
        <source>Valeurs par défaut</source>
        <translation>Restore defaults</translation>
    </message>
    <message>
        <source>Preference</source>
        <translation>Preferences</translation>
    </message>
    <message>
        <source>Parametres des fichiers HDR / IMG</source>
        <translation>HDR / IMG file parameters</translation>
    </message>
    <message>
        <source>Seuil minimum (niveau de gris)</source>
        <translation>Minimum threshold (grey level)</translation>
    </message>
    <message>
        <source>Les voxels dont le niveau de gris (0 à 255, selon la fenêtre) va du seuil minimum au seuil maximum, compris, forment le nuage</source>
        <translation>The voxels whose grey level (0 to 255, by the window) lies between the minimum and maximum thresholds, both included, make the cloud</translation>
    </message>
    <message>
        <source>Seuil maximum (niveau de gris)</source>
        <translation>Maximum threshold (grey level)</translation>
    </message>
    <message>
        <source>Fenêtre : valeur de voxel minimum</source>
        <translation>Window: minimum voxel value</translation>
    </message>
    <message>
        <source>Valeur de voxel qui devient le niveau de gris 0 ; les valeurs en dessous aussi</source>
        <translation>Voxel value that becomes grey level 0; so do the values below it</translation>
    </message>
    <message>
        <source>Fenêtre : valeur de voxel maximum</source>
        <translation>Window: maximum voxel value</translation>
    </message>
    <message>
        <source>Valeur de voxel qui devient le niveau de gris 255 ; les valeurs au-dessus aussi</source>
        <translation>Voxel value that becomes grey level 255; so do the values above it</translation>
    </message>
    <message>
        <source>Valeurs par defaut</source>
        <translation>Default values</translation>
    </message>
    <message>
        <source>Parametres de déformation</source>
        <translation>Deformation parameters</translation>
    </message>
    <message>
        <source>Force Interne</source>
        <translation>Internal force</translation>
    </message>
    <message>
        <source>Force Externe</source>
        <translation>External force</translation>
    </message>
    <message>
        <source>Force de retenue</source>
        <translation>Retention force</translation>
    </message>
    <message>
        <source>Force de retenue par rapport à la déformation précédente</source>
        <translation>Retention force with respect to the previous deformation</translation>
    </message>
    <message>
        <source>Rigidité du maillage</source>
        <translation>Mesh rigidity</translation>
    </message>
    <message>
        <source>Activer le cône de vision (plus lent)</source>
        <translation>Enable the vision cone (slower)</translation>
    </message>
    <message>
        <source>Angle du cône</source>
        <translation>Cone angle</translation>
    </message>
    <message>
        <source>°</source>
        <translation>°</translation>
    </message>
    <message>
        <source>Approximation lors de la recherche</source>
        <translation>Search approximation</translation>
    </message>
    <message>
        <source>Déformation automatique</source>
        <translation>Automatic deformation</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p align=&quot;center&quot;&gt;&lt;span style=&quot; font-size:8pt; font-style:italic;&quot;&gt;Succession de raffinage et de deformation dans le but &lt;/span&gt;&lt;/p&gt;&lt;p align=&quot;center&quot;&gt;&lt;span style=&quot; font-size:8pt; font-style:italic;&quot;&gt;d&apos;obtenir un resultat de facon automatique.&lt;/span&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p align=&quot;center&quot;&gt;&lt;span style=&quot; font-size:8pt; font-style:italic;&quot;&gt;A succession of refinements and deformations intended &lt;/span&gt;&lt;/p&gt;&lt;p align=&quot;center&quot;&gt;&lt;span style=&quot; font-size:8pt; font-style:italic;&quot;&gt;to reach a result automatically.&lt;/span&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Parametrage des raffinages</source>
        <translation>Refinement settings</translation>
    </message>
    <message>
        <source>Iteration(s) du raffinage T26 (Global)</source>
        <translation>T26 refinement iteration(s) (Global)</translation>
    </message>
    <message>
        <source>Iteration(s) du raffinage T22 (Surfaces)</source>
        <translation>T22 refinement iteration(s) (Surfaces)</translation>
    </message>
    <message>
        <source>Iteration(s) du raffinage T26  (Angles)</source>
        <translation>T26 refinement iteration(s)  (Angles)</translation>
    </message>
    <message>
        <source>Iteration(s) du raffinage T22 (Point par maille)</source>
        <translation>T22 refinement iteration(s) (Points per cell)</translation>
    </message>
    <message>
        <source>Parametrage de la déformation</source>
        <translation>Deformation settings</translation>
    </message>
    <message>
        <source>Iteration(s) de deformation</source>
        <translation>Deformation iteration(s)</translation>
    </message>
    <message>
        <source>Parametres generaux</source>
        <translation>General parameters</translation>
    </message>
    <message>
        <source>Nombre d&apos;iteration de l&apos;automatisme</source>
        <translation>Number of automatic cycles</translation>
    </message>
    <message>
        <source>Couper l&apos;affichage graphique (augmente la rapidité d&apos;execution)</source>
        <translation>Turn off the drawing (runs faster)</translation>
    </message>
    <message>
        <source>Fermer</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Règle la fenêtre sur les valeurs extrêmes d&apos;un volume choisi (Analyze ou NIfTI)</source>
        <translation>Sets the window to the smallest and largest values of a chosen volume (Analyze or NIfTI)</translation>
    </message>
    <message>
        <source>Fenêtre du volume…</source>
        <translation>Window from a volume…</translation>
    </message>
    <message>
        <source>Fenêtre du volume</source>
        <translation>Window from a volume</translation>
    </message>
    <message>
        <source>La lecture du volume a échoué : %1</source>
        <translation>Reading the volume failed: %1</translation>
    </message>
    <message>
        <source>Ombrage des triangles et profondeur du nuage</source>
        <translation>Shaded triangles and depth of the cloud</translation>
    </message>
    <message>
        <source>Repère</source>
        <translation>Frame</translation>
    </message>
    <message>
        <source>Repère du nuage et de la surface d&apos;un volume ouvert ensuite</source>
        <translation>Frame of the cloud and the surface of a volume opened afterwards</translation>
    </message>
    <message>
        <source>Indices de voxels</source>
        <translation>Voxel indices</translation>
    </message>
    <message>
        <source>Millimètres</source>
        <translation>Millimetres</translation>
    </message>
    <message>
        <source>Niveau de la frontière ajustée par « Ajustement précis » : automatique (méthode d&apos;Otsu) ou donné, dans les valeurs du volume</source>
        <translation>Level of the boundary “Precise fit” fits: automatic (Otsu’s method) or given, in the volume’s values</translation>
    </message>
    <message>
        <source>Niveau automatique</source>
        <translation>Automatic level</translation>
    </message>
    <message>
        <source>Volumes (*.hdr *.img *.nii *.nii.gz)</source>
        <translation>Volumes (*.hdr *.img *.nii *.nii.gz)</translation>
    </message>
</context>
</TS>
