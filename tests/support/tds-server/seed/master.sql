-- master: the server's logins and the record of login attempts. The list of databases
-- (tds_databases, behind sys.databases and sysdatabases) is filled once every seed has run.

-- SQL logins. sa's password is the one tests/support/TdsServer.h connects with.
create table tds_users (
    name nvarchar(128) not null primary key collate nocase,
    password nvarchar(128) not null
);
insert into tds_users (name, password) values ('sa', 'Velmora-TDS-sa1');

-- Every LOGIN7 the server has received, with the password exactly as it arrived, how much of
-- its session TLS covers ('none', 'login' or 'session') and the TDS version agreed ('7.4').
create table tds_logins (
    id int identity(1,1) primary key,
    user_name nvarchar(128),
    password nvarchar(128),
    database_name nvarchar(128),
    app_name nvarchar(128),
    host_name nvarchar(128),
    packet_size int,
    accepted bit,
    encryption nvarchar(10),
    tds_version nvarchar(10),
    logged_at datetime default current_timestamp
);
